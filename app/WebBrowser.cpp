#include "app/WebBrowser.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineSettings>

#include "platform/KavroApplication.h"

namespace {

TOpenUrlHandler& OpenUrlHandler() {
    static TOpenUrlHandler handler;
    return handler;
}

// Receives the first navigation of a window that a link asked for, hands it to the default
// browser and goes away; the program never shows a second browser window.
class TExternalLinkPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (!FDone) {
            FDone = true;
            const auto* opener = qobject_cast<const QWebEnginePage*>(parent());
            OpenInDefaultBrowser(opener ? LinkAddress(url, opener->url()) : url);
            deleteLater();
        }
        return false;
    }

private:
    bool FDone = false;
};

}  // namespace

TOpenUrlHandler SetOpenUrlHandler(TOpenUrlHandler handler) {
    return std::exchange(OpenUrlHandler(), std::move(handler));
}

bool OpensInDefaultBrowser(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https" || scheme == u"mailto");
}

void OpenInDefaultBrowser(const QUrl& url) {
    if (!OpensInDefaultBrowser(url))
        return;
    if (OpenUrlHandler())
        OpenUrlHandler()(url);
    else
        QDesktopServices::openUrl(url);
}

QUrl LinkAddress(const QUrl& link, const QUrl& page) {
    if (!link.isLocalFile() || !page.isLocalFile())
        return link;
    const QString folder =
        page.adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment)
            .toString(QUrl::FullyEncoded);
    const QString target = link.toString(QUrl::FullyEncoded);
    // An empty href names the page itself; that is no address of a site.
    if (!target.startsWith(folder) ||
        link.adjusted(QUrl::RemoveFragment) == page.adjusted(QUrl::RemoveFragment)) {
        return link;
    }
    return QUrl::fromEncoded(QStringLiteral("http://").append(target.mid(folder.size())).toUtf8());
}

TSitePage::TSitePage(QObject* parent) : QWebEnginePage(parent) {
    settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                RunReported([&] { setFeaturePermission(origin, feature, PermissionDeniedByUser); });
            });
}

QWebEnginePage* TSitePage::createWindow(WebWindowType) {
    return new TExternalLinkPage(profile(), this);
}

bool TSitePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (!FOwnNavigationOnly)
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    if (type == NavigationTypeLinkClicked) {
        OpenInDefaultBrowser(LinkAddress(url, this->url()));
        return false;
    }
    // A refresh, a redirect, a form, the history or a frame would put something else in place
    // of the page that the program wrote.
    return isMainFrame && type != NavigationTypeFormSubmitted && url == FAllowedUrl;
}

TWebBrowser::TWebBrowser(QWidget* parent) : QWebEngineView(parent) {
    FPage = new TSitePage(this);
    setPage(FPage);
    connect(page(), &QWebEnginePage::loadingChanged, this,
            Reported(this, &TWebBrowser::LoadingChanged));
    connect(page(), &QWebEnginePage::renderProcessTerminated, this,
            Reported([this] { SetState(TReadyState::Complete); }));
}

void TWebBrowser::LockDown() {
    QWebEngineSettings* settings = page()->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    // The page file may read no other local file; what it links by address (the stylesheet
    // under SiteBaseUrl, pictures in the user's own markup) it may load.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    FPage->KeepToOwnNavigation();
}

void TWebBrowser::Navigate(const QString& address) {
    const QUrl url = QDir::isAbsolutePath(address) ? QUrl::fromLocalFile(address) : QUrl(address);
    FRequested = url;
    FPage->SetAllowedUrl(url);
    FStarted.clear();
    ++FNavigation;
    SetState(TReadyState::Loading);
    load(url);
}

void TWebBrowser::LoadingChanged(const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        FStarted = info.url();
        return;
    }
    // The end of a load that an earlier navigation started is not the end of the last one.
    const bool current =
        info.url() == FRequested || (!FStarted.isEmpty() && info.url() == FStarted);
    if (current)
        SetState(TReadyState::Complete);
}

void TWebBrowser::SetState(TReadyState state) {
    FState = state;
    emit ReadyStateChanged();
}

void TWebBrowser::WaitUntilReady() {
    if (FState != TReadyState::Loading)
        return;
    QEventLoop loop;
    const quint64 awaited = FNavigation;
    const QPointer<TWebBrowser> self(this);
    const auto quitWhenDone = [&] {
        if (!self || FNavigation != awaited || FState != TReadyState::Loading)
            loop.quit();
    };
    connect(this, &TWebBrowser::ReadyStateChanged, &loop, quitWhenDone);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    loop.exec();
}
