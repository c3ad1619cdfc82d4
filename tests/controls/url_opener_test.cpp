#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "controls/help_pages.h"
#include "controls/hot_link.h"
#include "controls/url_opener.h"
#include "controls/web_addresses.h"
#include "url_recorder.h"

TEST(OpenUrl, PutsHttpInFrontOfAddressesWithoutAWebScheme) {
    UrlRecorder urls;
    EXPECT_TRUE(OpenUrl("www.example.org/a"));
    EXPECT_TRUE(OpenUrl("http://www.example.org/b"));
    EXPECT_TRUE(OpenUrl("HTTP://www.example.org/c"));
    EXPECT_TRUE(OpenUrl("https://www.example.org/d"));
    ASSERT_EQ(urls.urls.size(), 4);
    EXPECT_EQ(urls.urls[0].toString(), "http://www.example.org/a");
    EXPECT_EQ(urls.urls[1].toString(), "http://www.example.org/b");
    EXPECT_EQ(urls.urls[2].toString(), "http://www.example.org/c");
    EXPECT_EQ(urls.urls[3].toString(), "https://www.example.org/d");
}

TEST(OpenUrl, ReportsWhetherTheBrowserTookTheAddress) {
    UrlRecorder refusing(false);
    EXPECT_FALSE(OpenUrl("www.example.org"));
    EXPECT_EQ(refusing.urls.size(), 1);
}

TEST(WebAddresses, UpdatePageCarriesProductAndVersion) {
    EXPECT_TRUE(
        web::UpdatePage("Plumora", "0.1.0").endsWith("/update.py?product=Plumora&version=0.1.0"));
    EXPECT_TRUE(web::UpdatePage("Plumora", "1.0 beta&x").endsWith("version=1.0%20beta%26x"));
    UrlRecorder urls;
    ASSERT_TRUE(OpenUrl(web::UpdatePage("Plumora", "0.1.0")));
    EXPECT_EQ(urls.urls[0].scheme(), "http");
    EXPECT_EQ(urls.urls[0].query(), "product=Plumora&version=0.1.0");
}

TEST(HotLink, HelpLinksGoToTheHelpTopicAndZeroDoesNothing) {
    UrlRecorder urls;
    QList<int> topics;
    THotLink help(nullptr, 1, "winhelp://17");
    help.SetHelpTopicHandler([&](int topic) { topics.append(topic); });
    EXPECT_TRUE(help.OpenLink());
    THotLink zero(nullptr, 2, "WinHelp://0");
    zero.SetHelpTopicHandler([&](int topic) { topics.append(topic); });
    EXPECT_FALSE(zero.OpenLink());
    EXPECT_EQ(topics, QList<int>{17});
    EXPECT_TRUE(urls.urls.isEmpty());
}

TEST(HotLink, TextIsCentredOnItsBaselineWithTheUnderlineAsWideAsTheText) {
    QFont font;
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const QString text = "www.example.org";
    const HotLinkGeometry g = ComputeHotLinkGeometry(QSize(200, 40), metrics, text);
    const int w = metrics.horizontalAdvance(text);
    const int baseline = 20 + metrics.tightBoundingRect("L").height() / 2;
    EXPECT_EQ(g.textOrigin, QPoint(100 - w / 2, baseline));
    EXPECT_EQ(g.underline.y1(), baseline);
    EXPECT_EQ(g.underline.y2(), baseline);
    EXPECT_EQ(g.underline.dx() + 1, w);
    EXPECT_EQ(g.focusRect.left(), 100 - w / 2 - 2);
    EXPECT_EQ(g.focusRect.right(), 100 + w / 2 + 2);
    EXPECT_EQ(g.focusRect.top(), baseline - metrics.height() - 2);
    EXPECT_EQ(g.focusRect.bottom(), baseline + 2);
}

namespace {

void WriteFile(const QString& path, const QByteArray& content = "<html></html>") {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

}  // namespace

TEST(HelpPages, WithoutTheHelpFolderNothingOpens) {
    QTemporaryDir program;
    UrlRecorder urls;
    EXPECT_TRUE(HelpPages::FindHelpDirectory(program.path()).isEmpty());
    const HelpPages help(HelpPages::FindHelpDirectory(program.path()));
    EXPECT_FALSE(help.available());
    EXPECT_FALSE(help.OpenContents());
    EXPECT_FALSE(help.Open("Event_Dialog.html"));

    // A folder without the start page does not count either.
    ASSERT_TRUE(QDir(program.path()).mkdir("help"));
    WriteFile(program.path() + "/help/Event_Dialog.html");
    EXPECT_TRUE(HelpPages::FindHelpDirectory(program.path()).isEmpty());
    EXPECT_TRUE(urls.urls.isEmpty());
}

TEST(HelpPages, FoundBesideTheProgramOrWhereItIsInstalled) {
    QTemporaryDir root;
    const QString bin = root.path() + "/bin";
    const QString installed = root.path() + "/share/plumora/help";
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(installed));
    WriteFile(installed + "/index.html");
    EXPECT_EQ(HelpPages::FindHelpDirectory(bin), QDir::cleanPath(installed));

    ASSERT_TRUE(QDir().mkpath(bin + "/help"));
    WriteFile(bin + "/help/index.html");
    EXPECT_EQ(HelpPages::FindHelpDirectory(bin), bin + "/help");
}

TEST(HelpPages, OpensTopicsAndFallsBackToTheStartPage) {
    QTemporaryDir program;
    ASSERT_TRUE(QDir(program.path()).mkdir("help"));
    WriteFile(program.path() + "/help/index.html");
    WriteFile(program.path() + "/help/Station_dialog.html");
    UrlRecorder urls;
    const HelpPages help(HelpPages::FindHelpDirectory(program.path()));
    ASSERT_TRUE(help.available());
    EXPECT_TRUE(help.Open("Station_dialog.html"));
    EXPECT_TRUE(help.Open("Missing.html"));
    EXPECT_TRUE(help.Open("../index.html"));
    ASSERT_EQ(urls.urls.size(), 3);
    EXPECT_EQ(urls.urls[0], QUrl::fromLocalFile(program.path() + "/help/Station_dialog.html"));
    EXPECT_EQ(urls.urls[1], QUrl::fromLocalFile(program.path() + "/help/index.html"));
    EXPECT_EQ(urls.urls[2], QUrl::fromLocalFile(program.path() + "/help/index.html"));
}
