// SPDX-License-Identifier: MIT
#include "strings/StringTableFile.h"

#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "toolkit/Resources.h"
#include "toolkit/XmlHelpers.h"

namespace {

const QString kEnglish = QStringLiteral("en");
const QString kGerman = QStringLiteral("de");

// The language section itself is picked with a plain child-name match rather
// than an XPath query on the language code: the code comes from the system,
// and a code such as "*" or ".." must not select something that is no
// language section.
xmlNode *ChooseSection(xmlNode *root, const QString &language) {
    if (xmlNode *section = FirstElementNamed(root, language))
        return section;
    if (xmlNode *section = FirstElementNamed(root, kEnglish))
        return section;
    if (xmlNode *section = FirstElementNamed(root, kGerman))
        return section;
    return root;
}

QVariantMap EntriesOfSection(xmlNode *section) {
    QVariantMap table;
    for (xmlNode *child = section->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            table.insert(NodeName(child), NodeStringValue(child));
    }
    return table;
}

QVariantMap EntriesPerLanguage(xmlNode *root, const QString &language) {
    QVariantMap table;
    for (xmlNode *entry = root->children; entry; entry = entry->next) {
        // Comments and stray text between entries are no entries.
        if (entry->type != XML_ELEMENT_NODE)
            continue;
        QString text = ChildElementText(entry, language);
        if (text.isNull())
            text = ChildElementText(entry, kEnglish);
        if (!text.isNull())
            table.insert(NodeName(entry), text);
    }
    return table;
}

} // namespace

std::optional<QVariantMap> LoadStringTable(const QString &baseName) {
    return LoadStringTable(baseName, PreferredLanguageCode());
}

std::optional<QVariantMap> LoadStringTable(const QString &baseName, const QString &languageCode) {
    const QString path = ResourcePath(baseName, QStringLiteral("xml"));
    if (path.isNull())
        return gStrings;
    // The log is not running yet when the table loads, so the user is told.
    QString error;
    const XmlDocument document = ParseXMLFile(path, 0, &error);
    if (!document) {
        AlertMessage(QStringLiteral("%@"), error);
        return gStrings;
    }
    xmlNode *root = xmlDocGetRootElement(document.get());
    if (!root)
        return gStrings;
    const QString language = languageCode.isEmpty() ? kEnglish : languageCode;
    const QString layout = NodeName(root);
    if (layout == QLatin1String("strings"))
        gStrings = EntriesOfSection(ChooseSection(root, language));
    else if (layout == QLatin1String("strings2"))
        gStrings = EntriesPerLanguage(root, language);
    return gStrings;
}
