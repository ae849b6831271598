#pragma once

#include <QApplication>
#include <exception>

// The application object. Its notify() is the general error report: an exception that escapes
// an event handler ends that user action, its text is shown in an OK box, and the event loop goes
// on with the next event. Qt never sees an exception leave a handler.
class TKavroApplication : public QApplication {
    Q_OBJECT
public:
    TKavroApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an error as the general error report does; for handlers that must finish their own work
// after reporting (for example closing the window).
void ReportError(const std::exception& error);
void ReportUnknownError();

// Runs a handler's body and hands whatever it throws to the general error report. Qt does not
// allow an exception to leave a slot it called through a signal, so every handler connected to
// a signal runs through this (notify() only guards event handlers).
template <class Body>
void RunReported(Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& error) {
        ReportError(error);
    } catch (...) {
        ReportUnknownError();
    }
}

// The slot to connect a signal to: the receiver's handler, run through RunReported.
//     connect(BitBtn5, &QToolButton::clicked, this, Reported(this, &TForm31::BitBtn5Click));
template <class Receiver, class... Args>
auto Reported(Receiver* receiver, void (Receiver::*handler)(Args...)) {
    return
        [receiver, handler](Args... args) { RunReported([&] { (receiver->*handler)(args...); }); };
}

// The same for a handler written in place that takes none of the signal's arguments.
//     connect(Button2, &QPushButton::clicked, this, Reported([this] { done(mrCancel); }));
template <class Handler>
auto Reported(Handler handler) {
    return [handler] { RunReported(handler); };
}
