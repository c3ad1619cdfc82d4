#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "controls/about_dlg.h"
#include "controls/hot_link.h"
#include "controls/project_rc_version.h"
#include "controls/web_addresses.h"
#include "url_recorder.h"

TEST(AboutDlg, ShowsNameVersionAndCopyrightOfTheBuild) {
    AboutDlg about(nullptr);
    EXPECT_EQ(about.windowTitle(), "About Plumora");
    EXPECT_EQ(about.versionLabel()->text(),
              QString("Plumora Version %1").arg(PLUMORA_EXPECTED_VERSION));
    EXPECT_TRUE(about.copyrightLabel()->text().startsWith("Copyright \u00a9 "));
    EXPECT_TRUE(about.copyrightLabel()->text().contains("Quillmoor Systems"));
    EXPECT_EQ(about.link()->link(), web::MakerSite());
    EXPECT_EQ(about.findChild<QLabel*>("22001"), about.versionLabel());
    EXPECT_EQ(about.findChild<QWidget*>("22006"), about.link());
}

TEST(AboutDlg, KeepsItsDesignedTextsWithoutVersionInformation) {
    AboutDlg none(nullptr, ProjectRCVersion(std::nullopt));
    EXPECT_EQ(none.windowTitle(), "About Plumora");
    EXPECT_EQ(none.versionLabel()->text(), "Version ");
    EXPECT_EQ(none.copyrightLabel()->text(), "Copyright");

    // A name without a version leaves the version line alone; a copyright
    // alone still shows.
    VersionBlock partial;
    partial.strings.insert("ProductName", "Other");
    partial.strings.insert("LegalCopyright", "(c) someone");
    AboutDlg half(nullptr, ProjectRCVersion(partial));
    EXPECT_EQ(half.windowTitle(), "About Plumora");
    EXPECT_EQ(half.versionLabel()->text(), "Version ");
    EXPECT_EQ(half.copyrightLabel()->text(), "(c) someone");
}

TEST(AboutDlg, OkClosesAndTheLinkOpensTheMakersSite) {
    UrlRecorder urls;
    AboutDlg about(nullptr);
    about.show();
    QTest::mouseClick(about.link(), Qt::LeftButton);
    ASSERT_EQ(urls.urls.size(), 1);
    EXPECT_EQ(urls.urls[0].toString(), "http://" + web::MakerSite());

    QPushButton* ok = nullptr;
    for (QPushButton* b : about.findChildren<QPushButton*>()) {
        if (b->text() == "&OK") {
            ok = b;
        }
    }
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}
