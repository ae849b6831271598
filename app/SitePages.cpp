#include "app/SitePages.h"

#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace {

const QByteArray SchemeName = "kavro";
const QString SiteHost = QStringLiteral("site");

// Answers every request of the scheme from the resource folder ":/site/"; anything else is
// "not found", so no request can reach a file outside the program's own pages.
class TSiteSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const QUrl url = job->requestUrl();
        const QString path = url.path();
        const bool plainName = path.count(u'/') == 1 && !path.contains(QStringLiteral(".."));
        QFile file(QStringLiteral(":/site") + path);
        if (url.host() != SiteHost || !plainName || !file.open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto* body = new QBuffer(job);
        body->setData(file.readAll());
        body->open(QIODevice::ReadOnly);
        job->reply(ContentType(path), body);
    }

private:
    static QByteArray ContentType(const QString& path) {
        if (path.endsWith(QStringLiteral(".css")))
            return "text/css";
        if (path.endsWith(QStringLiteral(".png")))
            return "image/png";
        return "text/html";
    }
};

}  // namespace

// The pages live in this static library; the linker keeps them only when referenced. The macro
// declares a global function, so this stays outside any namespace.
static void InitSiteResources() {
    Q_INIT_RESOURCE(site);
}

void PrepareSitePages() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    InitSiteResources();
    // Chromium refuses to start as root with its sandbox on.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QWebEngineUrlScheme scheme(SchemeName);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Served like a web address, so that the favourites page, a local file that may read no
    // other local file, can still link the stylesheet.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void InstallSitePages() {
    PrepareSitePages();
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    if (profile->urlSchemeHandler(SchemeName))
        return;
    profile->installUrlSchemeHandler(SchemeName, new TSiteSchemeHandler(profile));
}
