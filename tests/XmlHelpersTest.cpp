// SPDX-License-Identifier: MIT
#include "toolkit/XmlHelpers.h"
#include "TestSupport.h"
#include "toolkit/Log.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class XmlHelpersTest : public ::testing::Test {
protected:
    void SetUp() override { StartLog(1, 12000, "Vellmoran"); }

    QString write(const QString &name, const QByteArray &content) {
        EXPECT_TRUE(WriteAll(mDir.filePath(name), content));
        return mDir.filePath(name);
    }

    QTemporaryDir mDir;
};

const QByteArray kCatalogue = R"(<catalogue xmlns:x="urn:extra">
  <item id="a">Open <b>this</b></item><empty/><item id="b"/><x:note>prefixed</x:note><?mark?>
</catalogue>)";

// Every failure is one line of the log; no entity is fetched or inflated.
TEST_F(XmlHelpersTest, LoadingAnswersADocumentOrLogsOneLineAndFetchesNoEntity) {
    const XmlDocument good = LoadXMLDocument(write("good.xml", kCatalogue), 0);
    EXPECT_TRUE(good);
    EXPECT_FALSE(LoadXMLDocument(mDir.filePath("missing.xml"), 0));
    EXPECT_FALSE(LoadXMLDocument(write("bad.xml", "<a>\n<b>unclosed</a>"), 0));
    // A path is a file name: libxml2 once took it for a URI and read "pct x.xml".
    write("pct x.xml", kCatalogue);
    EXPECT_FALSE(LoadXMLDocument(mDir.filePath("pct%20x.xml"), 0));
    QString error;
    EXPECT_FALSE(ParseXMLFile(mDir.filePath("bad.xml"), 0, &error));
    EXPECT_TRUE(error.startsWith("line 2: ")) << error.toStdString(); // not logged

    // HTML is repaired rather than refused.
    const XmlDocument page =
        LoadXMLDocument(write("page.html", "<html><head><meta name=jahr content=\"2019\"></head>"
                                           "<body><p><<<>>&&&</q> <b>bold</body>"),
                        kXmlTidyHtml);
    xmlNode *head = page ? FirstElementNamed(xmlDocGetRootElement(page.get()), "head") : nullptr;
    EXPECT_EQ(StringForXPath(head, "meta[@name='jahr']/@content"), "2019");

    // A failed query logs just the error's description, never the expression.
    xmlNode *root = good ? xmlDocGetRootElement(good.get()) : nullptr;
    EXPECT_FALSE(NodesForXPath(root, "item["));
    EXPECT_FALSE(NodesForXPath(root, "count(item)"));
    EXPECT_EQ(ReadAll(LogPath()).count('\n'), 6); // the start line and five failures
    const QByteArray log = ReadAll(LogPath());
    EXPECT_FALSE(log.contains("item[")) << log.constData();
    EXPECT_TRUE(log.contains("::The XPath expression does not select nodes\n")) << log.constData();

    // Files can neither fetch nor inflate entities.
    QByteArray bomb = "<!DOCTYPE b [<!ENTITY e0 \"" + QByteArray(64, 'a') + "\">";
    for (int level = 1; level < 8; ++level)
        bomb += "<!ENTITY e" + QByteArray::number(level) + " \"" +
                ("&e" + QByteArray::number(level - 1) + ";").repeated(20) + "\">";
    const QByteArray external = "<!DOCTYPE r [<!ENTITY s SYSTEM \"" +
                                write("secret.txt", "top secret").toUtf8() + "\">]><r>&s;</r>";
    for (const QByteArray &xml : {bomb + "]><b>&e7;</b>", external}) {
        const XmlDocument document = LoadXMLDocument(write("e.xml", xml), 0);
        const QString text =
            document ? NodeStringValue(xmlDocGetRootElement(document.get())) : QString();
        EXPECT_LT(text.size(), 1 << 20);
        EXPECT_FALSE(text.contains("secret"));
    }
}

TEST_F(XmlHelpersTest, QueriesAndChildTextsKeepAbsentAndEmptyApart) {
    const XmlDocument document = LoadXMLDocument(write("c.xml", kCatalogue), 0);
    ASSERT_TRUE(document);
    xmlNode *root = xmlDocGetRootElement(document.get());

    const auto found = NodesForXPath(root, "//item | empty");
    ASSERT_TRUE(found && found->size() == 3);
    EXPECT_EQ(NodeName(found->at(1)), "empty"); // document order
    EXPECT_TRUE(NodesForXPath(root, "nothing").value().isEmpty());
    EXPECT_TRUE(NodesForXPath(root, "namespace::*").value().isEmpty()); // they die with the query
    EXPECT_FALSE(FirstNodeForXPath(nullptr, "item"));

    EXPECT_EQ(StringForXPath(root, "item[2]/@id"), "b");
    EXPECT_TRUE(StringForXPath(root, "item/@missing").isNull());

    EXPECT_EQ(ChildElementText(root, "item"), "Open this");
    // A node that holds nothing has an empty text, never an absent one.
    EXPECT_FALSE(ChildElementText(root, "empty").isNull());
    EXPECT_FALSE(StringForXPath(root, "processing-instruction()").isNull());
    EXPECT_TRUE(ChildElementText(root, "b").isNull()); // children only, not below
    EXPECT_EQ(ChildElementText(root, "x:note"), "prefixed");
    EXPECT_TRUE(ChildElementText(nullptr, "item").isNull());
}

} // namespace
