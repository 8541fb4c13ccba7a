// The help window against hostile pages: what a page names, how large and
// how deeply nested it is.
#include "app/help.h"
#include "app/help_page.h"
#include "tests/app/app_test_support.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kelmar {
namespace {

using testing::RecordingSink;
using testing::WindowTest;

QByteArray Repeated(const char* part, int times) {
    QByteArray text;
    for (int i = 0; i < times; ++i) {
        text += part;
    }
    return text;
}

QByteArray NestedTables(int depth) {
    return Repeated("<table><tr><td>", depth) + "x" + Repeated("</td></tr></table>", depth);
}

TEST(HelpPageShape, CountsOnlyElementsThatNest) {
    const struct {
        const char* name;
        QByteArray html;
        int nesting, tableNesting;
    } cases[] = {
        {"tables in tables", NestedTables(3), 3, 3},
        {"tables side by side", NestedTables(2) + NestedTables(2), 2, 2},
        {"lists in lists", Repeated("<UL><li>", 5) + Repeated("</ul>", 5), 5, 0},
        {"paragraphs and items close themselves", Repeated("<p><li><br><img src=a.png>", 50), 0, 0},
        {"self-closing tags", Repeated("<span/>", 50), 0, 0},
        {"tags in a comment", "<!--" + NestedTables(30) + "-->" + NestedTables(1), 1, 1},
        {"an end tag without a start", "</table></div><b>", 1, 0},
        {"a lone < and an unterminated tag", "a < b <table", 1, 1},
    };
    for (const auto& c : cases) {
        const HelpPageShape shape = MeasureHelpPage(c.html);
        EXPECT_EQ(shape.nesting, c.nesting) << c.name;
        EXPECT_EQ(shape.tableNesting, c.tableNesting) << c.name;
    }
}

TEST(HelpPageShape, LimitsSizeNestingTheSumOfTablesAndLengths) {
    QFile ours(QStringLiteral(KELMAR_TEST_GAME_DIR "/Kelmar.htm"));
    ASSERT_TRUE(ours.open(QIODevice::ReadOnly));
    const struct {
        const char* name;
        QByteArray html;
        bool fits;
    } cases[] = {
        {"our own page", ours.readAll(), true},
        {"tables 10 deep", NestedTables(kMaxHelpTableNesting), true},
        {"tables 11 deep", NestedTables(kMaxHelpTableNesting + 1), false},
        {"25 nested tables in 1 KB", NestedTables(25).left(1024), false},
        {"4000 nested tables", NestedTables(4000), false},
        {"100 nested quotes", Repeated("<blockquote>", kMaxHelpNesting), true},
        {"101 nested quotes", Repeated("<blockquote>", kMaxHelpNesting + 1), false},
        {"many tables 8 deep", Repeated(NestedTables(8).constData(), 400), false},
        {"a flat page at the size limit", QByteArray(kMaxHelpPageBytes, 'x'), true},
        {"one byte more", QByteArray(kMaxHelpPageBytes + 1, 'x'), false},
        // Each of these froze the window in Qt's layout for good.
        {"cell padding", "<table cellpadding=\"2000000000\"><tr><td>x</td></tr></table>", false},
        {"cell spacing", "<TABLE CellSpacing=30000000><tr><td>x", false},
        {"padding in a style", "<p style='padding:2000000000px'>x</p>", false},
        {"margin in a style sheet", "<style>p { margin-left: 5000pt }</style><p>x", false},
        {"a hidden number", "<td width=\"&#50;000000000\">x", false},
        {"a width in inches", "<img src=a.png width=50in>", false},
        {"a span", "<td colspan=2000000000>x", false},
        {"a font of 500 pixels", "<p style=\"font-size: 500px\">x", false},
        // Past about 2^23 pixels of height Qt's layout never ends.
        {"words in a column one pixel wide",
         "<table><tr><td width=1>" + Repeated("a ", 400000) + "</td></tr></table>", false},
        {"short paragraphs far apart",
         "<style>p { margin-bottom: 30px }</style>" + Repeated("<p>a", 250000), false},
        {"a page of prose at the size limit", Repeated("Wort ", kMaxHelpPageBytes / 5), true},
        {"a font of 2000 percent", "<style>h1 { font: bold 2000% serif }</style><h1>x", false},
        {"sizes a page may give",
         "<table width=\"100%\" border=1 cellpadding=4><tr><td "
         "style=\"font-size:36pt; color:#2000ff; margin:-20px\">x",
         true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HelpPageFits(c.html), c.fits) << c.name;
    }
}

class HelpWindow : public WindowTest {
protected:
    void writePage(const QByteArray& html) {
        QFile page(QStringLiteral("Kelmar.htm"));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
        page.write(html);
    }
    QVariant resource(THelpForm& form, int type, const char* name) {
        return form.Browser->loadResource(type, QUrl(QString::fromUtf8(name)));
    }
};

// The page made the game read any file it named: /dev/zero without end, a
// pipe for ever, /etc/passwd as a style sheet.
TEST_F(HelpWindow, LoadsOnlyBoundedRegularFilesInsideTheGameFolder) {
    ASSERT_EQ(::mkfifo("pipe.png", 0600), 0);
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QStringLiteral("bild.png"), "PNG"));
    ASSERT_TRUE(picture.save(QStringLiteral("bild.jpg"), "JPEG"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/etc/passwd"), QStringLiteral("link.css")));
    QFile large(QStringLiteral("gross.css"));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly));
    large.write(QByteArray(4 * 1024 * 1024 + 1, ' '));
    large.close();
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::copy(QStringLiteral("bild.png"), QStringLiteral("sub/bild.png")));
    for (const auto& [name, css] : {std::pair{"klein.css", "p { padding: 4px }"},
                                    std::pair{"weit.css", "p { padding: 2000000000px }"}}) {
        QFile sheet(QString::fromLatin1(name));
        ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
        sheet.write(css);
    }

    writePage("<p>Seite</p><img src=\"/dev/zero\"><img src=\"pipe.png\">"
              "<link rel=stylesheet href=\"/etc/passwd\"><img src=\"bild.png\">");
    RecordingSink sink;
    THelpForm form({}, sink, nullptr);
    ASSERT_EQ(form.LoadPage(), HelpPageResult::Shown);
    form.show();
    const struct {
        int type;
        const char* name;
        bool loaded;
    } cases[] = {
        {QTextDocument::ImageResource, "bild.png", true},
        {QTextDocument::ImageResource, "sub/bild.png", true},
        {QTextDocument::ImageResource, "/dev/zero", false},
        {QTextDocument::ImageResource, "file:///dev/zero", false},
        {QTextDocument::ImageResource, "pipe.png", false},
        {QTextDocument::ImageResource, "bild.jpg", false},
        {QTextDocument::ImageResource, "sub/../../bild.png", false},
        {QTextDocument::StyleSheetResource, "/etc/passwd", false},
        {QTextDocument::StyleSheetResource, "link.css", false},
        {QTextDocument::StyleSheetResource, "gross.css", false},
        {QTextDocument::StyleSheetResource, "klein.css", true},
        {QTextDocument::StyleSheetResource, "weit.css", false},
        {QTextDocument::StyleSheetResource, "http://example.invalid/a.css", false},
        {QTextDocument::HtmlResource, "Kelmar.htm", true},
    };
    for (const auto& c : cases) {
        const QVariant loaded = resource(form, c.type, c.name);
        if (c.type == QTextDocument::ImageResource) {
            // Refused pictures are an empty pixel, so that Qt does not open
            // the file itself.
            EXPECT_EQ(loaded.value<QImage>().width(), c.loaded ? 4 : 1) << c.name;
        } else {
            EXPECT_EQ(loaded.isValid(), c.loaded) << c.name;
        }
    }
    EXPECT_TRUE(form.Browser->toPlainText().contains(QStringLiteral("Seite")));
    EXPECT_TRUE(sink.messages.empty());
}

// Installed, the page and its pictures are links into the shared folder.
TEST_F(HelpWindow, LoadsPicturesBesideThePageTheGameFolderLinksTo) {
    QTemporaryDir shared;
    const QDir there(shared.path());
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(there.filePath(QStringLiteral("bild.png")), "PNG"));
    ASSERT_TRUE(QFile::remove(QStringLiteral("Kelmar.htm")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KELMAR_TEST_GAME_DIR "/Kelmar.htm"),
                            there.filePath(QStringLiteral("Kelmar.htm"))));
    for (const char* name : {"Kelmar.htm", "bild.png"}) {
        ASSERT_TRUE(QFile::link(there.filePath(QLatin1String(name)), QLatin1String(name)));
    }
    RecordingSink sink;
    THelpForm form({}, sink, nullptr);
    ASSERT_EQ(form.LoadPage(), HelpPageResult::Shown);
    EXPECT_EQ(resource(form, QTextDocument::ImageResource, "bild.png").value<QImage>().width(), 4);
}

// 25 nested tables never opened; 4000 crashed the game.
TEST_F(HelpWindow, APageNestedTooDeeplyIsRefusedAndTheBrowserCanStillShowIt) {
    for (const QByteArray& page :
         {NestedTables(25).left(1024), NestedTables(4000), Repeated("<ol><li>", 4000),
          QByteArray(kMaxHelpPageBytes + 1, 'x')}) {
        writePage(page);
        RecordingSink sink;
        std::vector<QUrl> opened;
        THelpForm* form = nullptr;
        QWidget owner;
        ShowHelp(
            form,
            [&](const QUrl& url) {
                opened.push_back(url);
                return true;
            },
            sink, &owner);
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, QStringLiteral("Kann Hilfe nicht aufrufen"));
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(form->Browser->toPlainText().contains(QLatin1Char('x')));
        form->BBrowser->click();
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0], HelpPageUrl());
    }
}

} // namespace
} // namespace kelmar
