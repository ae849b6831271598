#include "platform/KavroApplication.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/Messages.h"

TKavroApplication::TKavroApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("KavroPhoto"));
    // No display name: on X11 Qt would append it to every window title, and the windows carry
    // their captions exactly as they stand.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // Qt's own texts (the file dialog's buttons, context menus of edit boxes) in Japanese too.
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(translator);
    }
    // What the model has to tell the user is shown in the same plain box as everything else.
    Messages::SetSink([](const QString& text) { Dialogs::ShowMessage(text); });
}

bool TKavroApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(error);
    } catch (...) {
        ReportUnknownError();
    }
    return false;
}

void ReportError(const std::exception& error) {
    Dialogs::ShowMessage(ErrorMessage(error));
}

void ReportUnknownError() {
    Dialogs::ShowMessage(QStringLiteral("予期しないエラーが発生しました。"));
}
