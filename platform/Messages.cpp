#include "platform/Messages.h"

#include <cstdio>
#include <utility>

namespace Messages {

namespace {

TMessageSink& Sink() {
    static TMessageSink sink;
    return sink;
}

}  // namespace

void Show(const QString& text) {
    if (const TMessageSink& sink = Sink()) {
        sink(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

TMessageSink SetSink(TMessageSink sink) {
    return std::exchange(Sink(), std::move(sink));
}

}  // namespace Messages
