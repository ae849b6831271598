#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>

// Opens an address in the user's default web browser. Tests replace it to see the address.
using TOpenUrlHandler = std::function<void(const QUrl&)>;
// Replaces the handler and returns the one it replaced; an empty handler restores the real one.
TOpenUrlHandler SetOpenUrlHandler(TOpenUrlHandler handler);
// Only web and mail addresses leave the program; any other kind of link is ignored.
bool OpensInDefaultBrowser(const QUrl& url);
// Hands the address to the default browser when OpensInDefaultBrowser allows it.
void OpenInDefaultBrowser(const QUrl& url);
// The address that a link of a page means. A link written without a scheme ("www.example.jp")
// reaches the browser resolved against the page file's folder; it is taken as a web address
// ("http://www.example.jp"). Every other link is returned as it is.
QUrl LinkAddress(const QUrl& link, const QUrl& page);

// The page of every browser of the program: links that ask for a new window (target "_blank")
// open in the user's default browser, and every permission request is refused.
class TSitePage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit TSitePage(QObject* parent = nullptr);

    // From now on the page shows only what the program navigates to (SetAllowedUrl): a link
    // opens in the default browser, and every other navigation is refused.
    void KeepToOwnNavigation() { FOwnNavigationOnly = true; }
    void SetAllowedUrl(const QUrl& url) { FAllowedUrl = url; }

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    bool FOwnNavigationOnly = false;
    QUrl FAllowedUrl;
};

// The embedded web browser: navigation to an address or a local file, and a ready state.
class TWebBrowser : public QWebEngineView {
    Q_OBJECT
public:
    enum class TReadyState { Uninitialized, Loading, Complete };

    explicit TWebBrowser(QWidget* parent = nullptr);

    // An absolute file path is loaded as that file; anything else as an address.
    void Navigate(const QString& address);
    TReadyState ReadyState() const { return FState; }
    // Processes pending events until the last navigation has ended (loaded, failed or stopped),
    // a newer navigation has taken its place, the renderer has died or the browser is gone.
    // Waits on those events, never by polling.
    void WaitUntilReady();

    // For pages whose content comes from the user: no script, no context menu, no reading of
    // other local files, and no navigation but the program's own (links open outside).
    void LockDown();

signals:
    void ReadyStateChanged();

private:
    void LoadingChanged(const QWebEngineLoadingInfo& info);
    void SetState(TReadyState state);

    TSitePage* FPage = nullptr;
    TReadyState FState = TReadyState::Uninitialized;
    QUrl FRequested;
    QUrl FStarted;  // the address whose start was seen since the last navigation
    quint64 FNavigation = 0;
};
