#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;

// Every message box and file chooser of the program goes through this module, so that tests can
// replace the handlers, script the answers and read back what would have been shown.
namespace Dialogs {

enum class TMsgIcon { None, Information, Warning };
enum class TMsgButtons { Ok, YesNo };
enum class TMsgResult { Ok, Yes, No, Cancel };

struct TMessageRequest {
    QString Text;
    QString Title;
    TMsgIcon Icon = TMsgIcon::None;
    TMsgButtons Buttons = TMsgButtons::Ok;
    QStringList ButtonTexts;  // as shown, for example "はい(&Y)", "いいえ(&N)"
};

struct TOpenFilesRequest {
    QString Title;
    QStringList NameFilters;  // for example "JPEG イメージファイル (*.jpg *.jpeg *.jpe)"
    QString Folder;
    bool MultiSelect = true;
    bool Resizable = true;
};

struct TFolderRequest {
    QString Title;
    QString Folder;
};

using TMessageHandler = std::function<TMsgResult(const TMessageRequest&)>;
using TOpenFilesHandler = std::function<QStringList(const TOpenFilesRequest&)>;
using TFolderHandler = std::function<QString(const TFolderRequest&)>;
using TModalHandler = std::function<int(QDialog&)>;

// The plain box with one OK button.
void ShowMessage(const QString& text);
// The confirmation: information icon, title "情報", buttons "はい(&Y)" and "いいえ(&N)".
// True only when the user answers yes.
bool Confirm(const QString& text);
// The warning box titled "警告" with one OK button.
void ShowWarning(const QString& text);

// The file-open dialog; an empty list when the user cancels.
QStringList ChooseOpenFiles(const TOpenFilesRequest& request);
// The folder chooser; an empty text when the user cancels.
QString ChooseFolder(const TFolderRequest& request);

// Shows one of the program's own windows modally and returns its result (QDialog::Accepted or
// Rejected); tests replace it to drive the window or to answer for it.
int ExecModal(QDialog& window);

// Replace the handlers; each returns the handler it replaced. An empty handler restores the
// real dialogs.
TMessageHandler SetMessageHandler(TMessageHandler handler);
TOpenFilesHandler SetOpenFilesHandler(TOpenFilesHandler handler);
TFolderHandler SetFolderHandler(TFolderHandler handler);
TModalHandler SetModalHandler(TModalHandler handler);

// The title of plain message boxes: the program's name.
QString ApplicationTitle();

}  // namespace Dialogs
