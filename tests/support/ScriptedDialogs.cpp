#include "tests/support/ScriptedDialogs.h"

#include <QDialog>

using namespace Dialogs;

TScriptedDialogs::TScriptedDialogs() {
    FOldMessage = SetMessageHandler([this](const TMessageRequest& request) {
        FMessages.append(request);
        if (FOnMessage)
            FOnMessage(request);
        if (!FAnswers.isEmpty())
            return FAnswers.takeFirst();
        return request.Buttons == TMsgButtons::YesNo ? TMsgResult::Yes : TMsgResult::Ok;
    });
    FOldFiles = SetOpenFilesHandler([this](const TOpenFilesRequest& request) {
        FFileRequests.append(request);
        return FFileAnswers.isEmpty() ? QStringList() : FFileAnswers.takeFirst();
    });
    FOldFolder = SetFolderHandler([this](const TFolderRequest& request) {
        FFolderRequests.append(request);
        return FFolderAnswers.isEmpty() ? QString() : FFolderAnswers.takeFirst();
    });
    FOldModal = SetModalHandler([this](QDialog& window) {
        FModalTitles.append(window.windowTitle());
        if (FModalActions.isEmpty())
            return int(QDialog::Rejected);
        return FModalActions.takeFirst()(window);
    });
}

TScriptedDialogs::~TScriptedDialogs() {
    SetMessageHandler(std::move(FOldMessage));
    SetOpenFilesHandler(std::move(FOldFiles));
    SetFolderHandler(std::move(FOldFolder));
    SetModalHandler(std::move(FOldModal));
}

QStringList TScriptedDialogs::MessageTexts() const {
    QStringList texts;
    for (const TMessageRequest& request : FMessages)
        texts.append(request.Text);
    return texts;
}

QStringList TScriptedDialogs::MessageHeads() const {
    QStringList heads;
    for (const TMessageRequest& request : FMessages)
        heads.append(request.Text.section(u'\n', 0, 0));
    return heads;
}
