#include "app/CAboutDlg.h"

#include "resources/AboutDialogTemplate.h"
#include "resources/ApplicationIcon.h"
#include "resources/Strings.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

// The icon control shows the icon at its own size, whatever its template rectangle says.
constexpr int IconSize = 32;

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent) : CAboutDlg(BuildVersion(), BuildVersion(), parent) {}

CAboutDlg::CAboutDlg(const std::optional<VersionNumber> &productVersion,
                     const std::optional<VersionNumber> &fileVersion, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_controls(BuildDialog(AboutDialogTemplate(), *this)),
      m_productVersion(FormatVersion(productVersion)), m_fileVersion(FormatVersion(fileVersion))
{
    setWindowIcon(ApplicationIcon());
    setFixedSize(size());

    for (const BuiltControl &built : m_controls) {
        if (built.control->kind == ControlKind::Icon) {
            auto *icon = static_cast<QLabel *>(built.widget);
            icon->setPixmap(ApplicationIcon().pixmap(IconSize));
            icon->resize(std::max(icon->width(), IconSize), std::max(icon->height(), IconSize));
        }
    }
    static_cast<QLabel *>(control(IDC_PRODUCT_VERSION))->setText(m_productVersion);
    static_cast<QLabel *>(control(IDC_FILE_VERSION))->setText(m_fileVersion);

    // OK is the box's default button: Enter closes it as a click does.
    auto *ok = static_cast<QPushButton *>(control(IDC_ABOUT_OK));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

QWidget *CAboutDlg::control(int id) const
{
    return FindControl(m_controls, id);
}

// The window manager's menu of a window is not the program's on this desktop, so the command
// goes where a user looks for it: a right click on the window, and a key.
QAction *AddAboutAction(QWidget &window)
{
    auto *action = new QAction(loadString(IDS_ABOUTBOX), &window);
    action->setData(IDM_ABOUTBOX);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, &window, [&window] {
        CAboutDlg about(&window);
        about.exec();
    });
    window.addAction(action);
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}
