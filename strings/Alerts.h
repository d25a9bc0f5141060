// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Format.h"
#include "strings/AlertRequest.h"

#include <QString>
#include <QVariantList>

#include <functional>

class QWidget;

// Every message to the user is one modal alert. The family below differs only
// in where the message comes from (a format, or a string-table key whose text
// is the format) and in the buttons it offers. Codes: 1 for the default
// (first) button, 0 for the alternate (second), -1 for the other (third).

// Shows one alert and answers its code. The default presents a QMessageBox
// modally; tests put a recorder here so that no modal loop ever runs.
using AlertPresenter = std::function<int(const AlertRequest &)>;
// Answers the presenter it replaces; an empty one brings back the message box.
AlertPresenter SetAlertPresenter(AlertPresenter presenter);

// A one-shot detail: the next alert shows it below its message, and clears it.
extern QString pendingAlertDetail;

// Brings Tavo to the front, beeps and shows the alert over AlertParent();
// answers its code.
int ShowAlert(const QString &message, const QString &detail,
              const QString &defaultButton = QString(), const QString &alternateButton = QString(),
              const QString &otherButton = QString());
// The same over `parent` (AlertParent() when null), for an alert whose window
// may not be the active one: a drop from another program, or documents
// handed over by the desktop, do not activate the window they reach.
int ShowAlertIn(QWidget *parent, const QString &message, const QString &detail,
                const QString &defaultButton = QString(),
                const QString &alternateButton = QString(), const QString &otherButton = QString());

// The window the user works in: the modal dialog, else the active window,
// else the main window while Tavo is in the background; none before Tavo has
// a visible window.
QWidget *AlertParent();

// The text of key in the string table used as the format for args.
QString TextForKey(const char *key, const QVariantList &args);

// An absent format shows nothing; the format is not looked up.
void AlertMessageList(const QString &format, const QVariantList &args);
template <typename... Args> void AlertMessage(const QString &format, const Args &...args) {
    AlertMessageList(format, FormatArgs(args...));
}

// A key without an entry shows the key itself.
template <typename... Args> void AlertByKey(const char *key, const Args &...args) {
    if (key)
        ShowAlert(TextForKey(key, FormatArgs(args...)), pendingAlertDetail);
}

template <typename... Args> void SetAlertDetailByKey(const char *key, const Args &...args) {
    pendingAlertDetail = TextForKey(key, FormatArgs(args...));
}

// Buttons "yes", "no"; true for "yes".
bool AskYesNo(const QString &message);
// Buttons "ok", "cancel"; true for "ok".
bool AskOkCancel(const QString &message);
// Buttons "yes", "no", "cancel": 1, 0, -1.
int AskYesNoCancel(const QString &message);
// Buttons "yes", "ignore", "no": 1, 0, -1.
int AskYesIgnoreNo(const QString &message);

template <typename... Args> bool AskYesNoByKey(const char *key, const Args &...args) {
    return AskYesNo(TextForKey(key, FormatArgs(args...)));
}
template <typename... Args> bool AskOkCancelByKey(const char *key, const Args &...args) {
    return AskOkCancel(TextForKey(key, FormatArgs(args...)));
}
template <typename... Args> int AskYesNoCancelByKey(const char *key, const Args &...args) {
    return AskYesNoCancel(TextForKey(key, FormatArgs(args...)));
}
template <typename... Args> int AskYesIgnoreNoByKey(const char *key, const Args &...args) {
    return AskYesIgnoreNo(TextForKey(key, FormatArgs(args...)));
}

// Brings an application to the front. Absent means Tavo itself, which is the
// only one a Linux desktop lets us raise; other identifiers do nothing.
void ActivateApp(const QString &bundleIdentifier = QString());
