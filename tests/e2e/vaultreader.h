#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

// A table row as the user sees it: description, password.
using Entry = std::pair<QString, QString>;

// What a vault file holds, read with the program's own vault code.
struct VaultContents {
    QString image; // "config" / "image"
    QString pictureFolder; // "config" / "CheminImagesPerso"
    bool hasSecret = false;
    std::optional<int> clickCount; // "nb"
    std::vector<QPoint> clicks; // "x1", "y1" ... up to "nb"
    std::optional<QSize> recordedSize; // "largeur", "hauteur": the picture's size while recording
    std::vector<Entry> table; // as LoadTable rebuilds it, header row first
    int decoys = 0; // keys that decode to a number from 1 to 1000
    QStringList oddities; // secret keys or decoy values that fit no rule
};

VaultContents readVault(const QString& iniPath);

// Writes a vault as a finished setup leaves it: the picture's name and
// folder, a click secret, and a table saved with its decoys.
void seedVault(const QString& iniPath, const QString& image, const QString& pictureFolder,
    const std::vector<QPoint>& clicks, const std::vector<Entry>& entries);
