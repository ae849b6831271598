#include "tests/support/ScriptedDialogs.h"

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
}

TScriptedDialogs::~TScriptedDialogs() {
    SetMessageHandler(std::move(FOldMessage));
    SetOpenFilesHandler(std::move(FOldFiles));
    SetFolderHandler(std::move(FOldFolder));
}

QStringList TScriptedDialogs::MessageTexts() const {
    QStringList texts;
    for (const TMessageRequest& request : FMessages)
        texts.append(request.Text);
    return texts;
}
