#include "toolkit/XmlHelpers.h"
#include "TestSupport.h"
#include "toolkit/Log.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

class XmlHelpersTest : public ::testing::Test {
protected:
    void SetUp() override { StartLog(1, 12000, "Vellmoran"); }

    QString write(const QString &name, const QByteArray &content) {
        QFile file(mDir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    // The lines written since the log's start line.
    static qsizetype logLines() {
        QFile file(LogPath());
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        return file.readAll().count('\n') - 1;
    }

    QTemporaryDir mDir;
};

const QByteArray kCatalogue = R"(<catalogue xmlns:x="urn:extra">
  <item id="a">Open <b>this</b></item><empty/><item id="b"/><x:note>prefixed</x:note>
</catalogue>)";

TEST_F(XmlHelpersTest, LoadingAnswersADocumentOrLogsOneLine) {
    EXPECT_TRUE(LoadXMLDocument(write("good.xml", kCatalogue), 0));
    EXPECT_EQ(logLines(), 0);
    EXPECT_FALSE(LoadXMLDocument(mDir.filePath("missing.xml"), 0));
    EXPECT_EQ(logLines(), 1);
    EXPECT_FALSE(LoadXMLDocument(write("bad.xml", "<a>\n<b>unclosed</a>"), 0));
    EXPECT_EQ(logLines(), 2);
    // A path is a file name: libxml2 once took it for a URI and read "pct x.xml".
    write("pct x.xml", kCatalogue);
    EXPECT_FALSE(LoadXMLDocument(mDir.filePath("pct%20x.xml"), 0));
    EXPECT_EQ(logLines(), 3);

    QString error;
    EXPECT_FALSE(ParseXMLFile(mDir.filePath("bad.xml"), 0, &error));
    EXPECT_TRUE(error.startsWith("line 2: ")) << error.toStdString();
    EXPECT_EQ(logLines(), 3);

    // HTML is repaired rather than refused.
    const XmlDocument page = LoadXMLDocument(
        write("page.html", "<html><head><title>A & B</title><meta name=jahr content=\"2019\">"
                           "</head><body><p>unclosed <b>bold</body>"),
        kXmlTidyHtml);
    ASSERT_TRUE(page);
    xmlNode *head = FirstElementNamed(xmlDocGetRootElement(page.get()), "head");
    EXPECT_EQ(StringForXPath(head, "meta[@name='jahr']/@content"), "2019");
    EXPECT_TRUE(StringForXPath(head, "meta[@name='monat']/@content").isNull());
    EXPECT_EQ(logLines(), 3);
}

TEST_F(XmlHelpersTest, FilesCannotFetchOrInflateEntities) {
    QByteArray bomb = "<!DOCTYPE b [ <!ENTITY e0 \"" + QByteArray(64, 'a') + "\">";
    for (int level = 1; level < 8; ++level)
        bomb += QStringLiteral("<!ENTITY e%1 \"%2\">")
                    .arg(level)
                    .arg(QStringLiteral("&e%1;").arg(level - 1).repeated(20))
                    .toUtf8();
    const XmlDocument inflated = LoadXMLDocument(write("bomb.xml", bomb + "]><b>&e7;</b>"), 0);
    if (inflated) {
        EXPECT_LT(NodeStringValue(xmlDocGetRootElement(inflated.get())).size(), 1 << 20);
    }

    const QString secret = write("secret.txt", "top secret");
    const XmlDocument document =
        LoadXMLDocument(write("external.xml", "<!DOCTYPE r [ <!ENTITY s SYSTEM \"" +
                                                  secret.toUtf8() + "\"> ]><r>&s;</r>"),
                        0);
    if (document) {
        EXPECT_FALSE(NodeStringValue(xmlDocGetRootElement(document.get())).contains("secret"));
    }
}

TEST_F(XmlHelpersTest, QueriesAndChildTextsKeepAbsentAndEmptyApart) {
    const XmlDocument document = LoadXMLDocument(write("c.xml", kCatalogue), 0);
    ASSERT_TRUE(document);
    xmlNode *root = xmlDocGetRootElement(document.get());

    const auto found = NodesForXPath(root, "//item | empty");
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 3);
    EXPECT_EQ(NodeName(found->at(1)), "empty"); // document order
    EXPECT_TRUE(NodesForXPath(root, "nothing").value().isEmpty());
    EXPECT_TRUE(NodesForXPath(root, "namespace::*").value().isEmpty()); // they die with the query
    EXPECT_EQ(logLines(), 0);
    EXPECT_FALSE(NodesForXPath(root, "item["));
    EXPECT_FALSE(NodesForXPath(root, "count(item)"));
    EXPECT_EQ(logLines(), 2);
    // Just the error's description, never the expression as a context.
    const QByteArray log = ReadAll(LogPath());
    EXPECT_FALSE(log.contains("item[")) << log.constData();
    EXPECT_TRUE(log.contains("::The XPath expression does not select nodes\n")) << log.constData();
    EXPECT_FALSE(FirstNodeForXPath(nullptr, "item"));

    EXPECT_EQ(StringForXPath(root, "item[2]/@id"), "b");
    EXPECT_TRUE(StringForXPath(root, "item/@missing").isNull());
    EXPECT_EQ(StringForXPath(root, "item"), "Open this");

    EXPECT_EQ(ChildElementText(root, "item"), "Open this");
    EXPECT_EQ(ChildElementText(root, "empty"), "");
    EXPECT_FALSE(ChildElementText(root, "empty").isNull());
    EXPECT_TRUE(ChildElementText(root, "b").isNull()); // children only, not below
    EXPECT_EQ(ChildElementText(root, "x:note"), "prefixed");
    EXPECT_TRUE(ChildElementText(nullptr, "item").isNull());
}

TEST_F(XmlHelpersTest, LibxmlPrintsNothingOfItsOwn) {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    FILE *sink = std::tmpfile();
    ASSERT_TRUE(sink);
    dup2(fileno(sink), STDERR_FILENO);

    LoadXMLDocument(write("bad.xml", "<a><b></a>"), 0);
    LoadXMLDocument(mDir.filePath("missing.xml"), 0);
    LoadXMLDocument(write("bad.html", "<p><<<>>&&&</q>"), kXmlTidyHtml);
    const XmlDocument document = LoadXMLDocument(write("c.xml", kCatalogue), 0);
    NodesForXPath(xmlDocGetRootElement(document.get()), "][");

    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    EXPECT_EQ(lseek(fileno(sink), 0, SEEK_END), 0);
    std::fclose(sink);
}

} // namespace
