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
