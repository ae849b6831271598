#pragma once

#include <QString>

// The pages that the web tabs, the help window and the favourites page show. No publisher site
// exists for the program, so it serves its own pages from its resources through a URL scheme of
// its own: they read without a network, and no start shows a browser's error page.

// The base address of the pages; "/info.html", "/osusume.html", "/help.html" and "/okini.css"
// are appended to it.
inline const QString SiteBaseUrl = QStringLiteral("kavro://site");

// Prepares Qt WebEngine for the program: the sandbox switch for root, and the scheme of
// SiteBaseUrl, which the engine accepts only before its first use. Safe to call more than once;
// a call after the engine has started changes nothing.
void PrepareSitePages();

// Serves the scheme of SiteBaseUrl to every browser of the program; call before the first page
// is loaded (the main window does). Safe to call more than once.
void InstallSitePages();
