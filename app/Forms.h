// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class QMainWindow;
class QObject;
class QWidget;

// Tavo's windows, built from the Designer forms that uic compiles into the
// program (resources/*.ui). Outlets are found in them by object name.

QMainWindow *CreateMainWindowForm();
QWidget *CreatePreferencesForm();
QWidget *CreatePanelForm();

// The titles of the preferences window's location boxes, each the settings
// key of one application version, read from its form at build time so that
// the stored locations can be checked without building the window.
QStringList PreferencesBoxKeys();

// Empty when `form` holds an object of every name; otherwise a message for
// the user naming the form and what it lacks, so that a form edited wrongly
// is reported instead of crashing the program.
QString MissingOutlets(const QObject *form, const QStringList &names);
