#pragma once

#include <QString>
#include <functional>

// The messages that code without widgets has to show the user (a store that cannot be read or
// written, a data file moved aside). The user interface installs the sink that shows them in a
// plain OK box when the application starts; until then, and in programs without windows, they
// go to the standard error stream. Tests of such code install a sink that records them.
namespace Messages {

using TMessageSink = std::function<void(const QString& text)>;

// Hands the text to the installed sink.
void Show(const QString& text);

// Replaces the sink and returns the one it replaced; an empty sink restores the standard error
// stream.
TMessageSink SetSink(TMessageSink sink);

}  // namespace Messages
