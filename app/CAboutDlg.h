#pragma once

#include "companions/ProgramVersion.h"
#include "resources/DialogTemplate.h"

#include <QDialog>

#include <optional>
#include <vector>

class QAction;

// The About box: the program's product and file versions and what it is for. Closed with OK
// (or Escape).
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    // Shows the version this program was built with as both versions.
    explicit CAboutDlg(QWidget *parent = nullptr);
    // Shows the given versions; an unknown one leaves its field empty.
    CAboutDlg(const std::optional<VersionNumber> &productVersion,
              const std::optional<VersionNumber> &fileVersion, QWidget *parent = nullptr);
    ~CAboutDlg() override;

    QWidget *control(int id) const;
    const QString &productVersion() const { return m_productVersion; }
    const QString &fileVersion() const { return m_fileVersion; }

private:
    std::vector<BuiltControl> m_controls;
    QString m_productVersion;
    QString m_fileVersion;
};

// Adds the command "&About ORMA..." (IDM_ABOUTBOX in the action's data) to window: in its
// context menu, which becomes the list of its actions, and under Ctrl+I while the window is
// active. Triggering it runs the About box modally over window. The action belongs to window.
QAction *AddAboutAction(QWidget &window);
