#include "tests/support/RecordedMessages.h"

TRecordedMessages::TRecordedMessages()
    : FOldSink(Messages::SetSink([this](const QString& text) { FTexts.append(text); })) {}

TRecordedMessages::~TRecordedMessages() {
    Messages::SetSink(std::move(FOldSink));
}

QStringList TRecordedMessages::MessageHeads() const {
    QStringList heads;
    for (const QString& text : FTexts)
        heads.append(text.section(u'\n', 0, 0));
    return heads;
}
