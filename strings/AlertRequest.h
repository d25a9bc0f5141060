// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

// Everything one alert shows.
struct AlertRequest {
    QString message;
    QString detail; // never absent: "" when there is none
    // Absent titles give no button, except that an absent default gives the
    // standard OK button.
    QString defaultButton;
    QString alternateButton;
    QString otherButton;
    QString windowTitle; // always the application's name
    QString iconPath;    // absent when the icon resource is missing
    // The window the alert belongs to, which the window manager keeps it
    // over; none before Tavo has a window.
    QWidget *parent = nullptr;
};
