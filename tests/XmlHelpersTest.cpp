#include "toolkit/XmlHelpers.h"
#include "toolkit/Log.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

class XmlHelpersTest : public ::testing::Test {
protected:
    void SetUp() override { StartLog(1, 12000, QStringLiteral("Vellmoran")); }

    QString write(const QString &name, const QByteArray &content) {
        const QString path = mDir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    // The lines written since the log started, without its start line.
    static QStringList logLines() {
        QFile file(LogPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        if (!lines.isEmpty())
            lines.removeFirst();
        return lines;
    }

    QTemporaryDir mDir;
};

const QByteArray kCatalogue = R"(<?xml version="1.0"?>
<catalogue xmlns:x="urn:extra">
  <item id="a">Open <b>this</b></item>
  <empty/>
  <item id="b"/>
  <x:note>prefixed</x:note>
</catalogue>)";

TEST_F(XmlHelpersTest, LoadingAnswersADocumentOrLogsOneLine) {
    EXPECT_TRUE(LoadXMLDocument(write("good.xml", kCatalogue), 0));
    EXPECT_TRUE(logLines().isEmpty());

    EXPECT_FALSE(LoadXMLDocument(mDir.filePath("missing.xml"), 0));
    EXPECT_EQ(logLines().size(), 1);
    EXPECT_FALSE(LoadXMLDocument(write("bad.xml", "<a>\n<b>unclosed</a>"), 0));
    ASSERT_EQ(logLines().size(), 2);
    EXPECT_TRUE(logLines().last().contains(QLatin1String("line 2")));
    EXPECT_FALSE(LoadXMLDocument(QString(), 0));
    EXPECT_EQ(logLines().size(), 3);

    QString error;
    EXPECT_FALSE(ParseXMLFile(mDir.filePath("bad.xml"), 0, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(logLines().size(), 3);
}

TEST_F(XmlHelpersTest, FilesCannotFetchOrInflateEntities) {
    const QByteArray bomb = R"(<?xml version="1.0"?>
<!DOCTYPE b [
 <!ENTITY a "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa">
 <!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">
 <!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">
 <!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">
 <!ENTITY e "&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;">
 <!ENTITY f "&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;">
 <!ENTITY g "&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;">
]>
<b>&g;</b>)";
    const XmlDocument inflated = LoadXMLDocument(write("bomb.xml", bomb), 0);
    if (inflated) {
        EXPECT_LT(NodeStringValue(xmlDocGetRootElement(inflated.get())).size(), 1 << 20);
    } else {
        EXPECT_EQ(logLines().size(), 1);
    }

    const QString secret = write("secret.txt", "top secret");
    const QByteArray external =
        "<!DOCTYPE r [ <!ENTITY s SYSTEM \"file://" + secret.toUtf8() + "\"> ]>\n<r>&s;</r>";
    const XmlDocument document = LoadXMLDocument(write("external.xml", external), 0);
    if (document) {
        EXPECT_FALSE(NodeStringValue(xmlDocGetRootElement(document.get())).contains("secret"));
    }
}

TEST_F(XmlHelpersTest, HtmlIsRepairedIntoATree) {
    const QString page = write("page.html", R"(<html><head><title>About & more</title>
<meta name="jahr" content="2019"><meta name=other content=x>
</head><body><p>unclosed <b>bold</body>)");
    const XmlDocument document = LoadXMLDocument(page, kXmlTidyHtml);
    ASSERT_TRUE(document);
    xmlNode *head = FirstElementNamed(xmlDocGetRootElement(document.get()), "head");
    ASSERT_TRUE(head);
    EXPECT_EQ(StringForXPath(head, "meta[@name='jahr']/@content"), QLatin1String("2019"));
    EXPECT_TRUE(StringForXPath(head, "meta[@name='monat']/@content").isNull());
    EXPECT_TRUE(logLines().isEmpty());

    EXPECT_FALSE(LoadXMLDocument(mDir.filePath("missing.html"), kXmlTidyHtml));
    EXPECT_EQ(logLines().size(), 1);
}

TEST_F(XmlHelpersTest, QueriesAnswerNodesInDocumentOrderOrAbsent) {
    const XmlDocument document = LoadXMLDocument(write("c.xml", kCatalogue), 0);
    ASSERT_TRUE(document);
    xmlNode *root = xmlDocGetRootElement(document.get());

    const auto items = NodesForXPath(root, "//item | empty");
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 3);
    EXPECT_EQ(NodeName(items->at(0)), QLatin1String("item"));
    EXPECT_EQ(NodeName(items->at(1)), QLatin1String("empty"));
    EXPECT_EQ(NodeStringValue(items->at(2)), QLatin1String(""));

    const auto none = NodesForXPath(root, "nothing");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
    EXPECT_FALSE(FirstNodeForXPath(root, "nothing"));
    EXPECT_TRUE(logLines().isEmpty());

    EXPECT_FALSE(NodesForXPath(root, "item["));
    EXPECT_FALSE(NodesForXPath(root, "count(item)"));
    EXPECT_EQ(logLines().size(), 2);
    EXPECT_FALSE(NodesForXPath(nullptr, "item"));

    // Namespace nodes would not outlive the query.
    const auto namespaces = NodesForXPath(root, "namespace::*");
    ASSERT_TRUE(namespaces);
    EXPECT_TRUE(namespaces->isEmpty());

    EXPECT_EQ(StringForXPath(root, "item/@id"), QLatin1String("a"));
    EXPECT_EQ(StringForXPath(root, "item[2]/@id"), QLatin1String("b"));
    EXPECT_TRUE(StringForXPath(root, "item/@missing").isNull());
    EXPECT_EQ(StringForXPath(root, "item"), QLatin1String("Open this"));
}

TEST_F(XmlHelpersTest, ChildTextsKeepAbsentAndEmptyApart) {
    const XmlDocument document = LoadXMLDocument(write("c.xml", kCatalogue), 0);
    ASSERT_TRUE(document);
    xmlNode *root = xmlDocGetRootElement(document.get());

    EXPECT_EQ(ChildElementText(root, "item"), QLatin1String("Open this"));
    const QString empty = ChildElementText(root, "empty");
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(ChildElementText(root, "missing").isNull());
    EXPECT_TRUE(ChildElementText(root, "b").isNull()); // children only, not below
    EXPECT_EQ(ChildElementText(root, "x:note"), QLatin1String("prefixed"));
    EXPECT_TRUE(ChildElementText(nullptr, "item").isNull());
    EXPECT_TRUE(NodeStringValue(nullptr).isNull());
}

TEST_F(XmlHelpersTest, LibxmlPrintsNothingOfItsOwn) {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const QString capture = mDir.filePath("stderr.txt");
    FILE *sink = std::fopen(QFile::encodeName(capture).constData(), "w");
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
    std::fclose(sink);
    QFile printed(capture);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_EQ(printed.readAll(), QByteArray());
}

} // namespace
