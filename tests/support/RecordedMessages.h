#pragma once

#include <QStringList>

#include "platform/Messages.h"

// Records what code without widgets tells the user (Messages::Show) for its lifetime, in place
// of the sink that was installed.
class TRecordedMessages {
public:
    TRecordedMessages();
    ~TRecordedMessages();
    TRecordedMessages(const TRecordedMessages&) = delete;
    TRecordedMessages& operator=(const TRecordedMessages&) = delete;

    const QStringList& Messages() const { return FTexts; }
    const QStringList& MessageTexts() const { return FTexts; }
    // The first line of each message: what went wrong, without the file and the reason below it.
    QStringList MessageHeads() const;
    void ClearMessages() { FTexts.clear(); }

private:
    QStringList FTexts;
    Messages::TMessageSink FOldSink;
};
