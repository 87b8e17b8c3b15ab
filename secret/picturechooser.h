#pragma once

#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TPicturePanel;

// The picture chooser: Qt's own open-file dialog widened by a preview panel.
// The object lives with its owner; its file name and filter entry persist
// between openings and change only when the user confirms a file.
class TOpenPictureDialog : public QObject {
    Q_OBJECT
public:
    explicit TOpenPictureDialog(QWidget* owner);
    ~TOpenPictureDialog() override;

    QString Title = QStringLiteral("Choix d'une image");
    // Entries of "description|patterns", separated by "|"; patterns by ";".
    QString Filter;
    int FilterIndex = 1; // 1-based entry selected at the next opening
    QString InitialDir; // set before each opening
    QString FileName; // the confirmed file's full path

    // Shows the chooser modally; true when the user confirmed a file.
    bool Execute();

    // The dialog and its panel, made at the first opening.
    QFileDialog* fileDialog() const { return m_dialog; }
    TPicturePanel* picturePanel() const { return m_panel; }

    // Descriptions and patterns of the filter's entries.
    QStringList filterDescriptions() const;
    QStringList filterPatterns(int index) const; // 1-based

private:
    void createDialog();
    void applyFilter(int index); // 1-based

    QWidget* m_owner;
    QPointer<QFileDialog> m_dialog;
    TPicturePanel* m_panel = nullptr;
    class PatternFilter* m_proxy = nullptr;
};

// Test seam: while a handler is installed, Execute shows nothing; the
// handler sees the chooser as it would open and answers a full path, or
// nothing for a cancel.
using ChooserSeam = std::function<std::optional<QString>(const TOpenPictureDialog&)>;
void setChooserSeamForTesting(ChooserSeam seam);
