#include "tests/support/RecordedMessages.h"

TRecordedMessages::TRecordedMessages()
    : FOldSink(Messages::SetSink([this](const QString& text) { FTexts.append(text); })) {}

TRecordedMessages::~TRecordedMessages() {
    Messages::SetSink(std::move(FOldSink));
}
