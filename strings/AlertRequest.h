// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

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
};
