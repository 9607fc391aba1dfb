#include "scan/CCreateImageDlg.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "platform/Drives.h"
#include "res/Skin.h"
#include "res/Texts.h"

namespace {

// Converts the dialog-unit rectangles of the layout into pixels for the dialog's font, the way Windows
// does (a horizontal unit is a quarter of the average letter width, a vertical one an eighth of the height).
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        m_baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
        m_baseY = metrics.height();
    }
    int X(int units) const { return units * m_baseX / 4; }
    int Y(int units) const { return units * m_baseY / 8; }
    QRect Rect(int x, int y, int width, int height) const { return {X(x), Y(y), X(width), Y(height)}; }

private:
    int m_baseX = 7;
    int m_baseY = 15;
};

}  // namespace

CCreateImageDlg::CCreateImageDlg(QWidget* parent) : QDialog(parent) {
    m_strDrive = ListCdDrives();
    if (m_strDrive == "NULL") m_strDrive.clear();

    setWindowTitle(QStringLiteral("Create image file directory"));
    setFont(QFont(QStringLiteral("Verdana"), 9));
    const DialogUnits du(font());
    setFixedSize(du.X(220), du.Y(106));

    // Created in the order the focus moves through them: label, Create, Cancel, drive.
    m_editLabel = new QLineEdit(this);
    m_editLabel->setGeometry(du.Rect(106, 31, 107, 12));

    auto* create = new QPushButton(QStringLiteral("Create"), this);
    create->setGeometry(du.Rect(64, 86, 42, 13));
    create->setDefault(true);
    connect(create, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(du.Rect(113, 86, 42, 13));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(iconSize, iconSize));
    icon->setGeometry(du.X(7), du.Y(34), iconSize, iconSize);

    auto* labelCaption = new QLabel(QStringLiteral("CD External Feature:"), this);
    labelCaption->setGeometry(du.Rect(36, 33, 67, 13));
    labelCaption->setBuddy(m_editLabel);

    auto* driveCaption = new QLabel(QStringLiteral("CD Driver:"), this);
    driveCaption->setGeometry(du.Rect(53, 58, 50, 10));
    driveCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_cbDrives = new QComboBox(this);
    m_cbDrives->setEditable(true);
    // Enter in the edit field means "Create", as everywhere else in the dialog, not "add to the list".
    m_cbDrives->setInsertPolicy(QComboBox::NoInsert);
    m_cbDrives->setMaxVisibleItems(10);
    m_cbDrives->setGeometry(du.X(106), du.Y(56), du.X(40), m_cbDrives->sizeHint().height());

    auto* intro =
        new QLabel(QStringLiteral("Scan all files and create a image file directory at here."), this);
    intro->setGeometry(du.Rect(36, 7, 177, 9));

    for (QWidget* passive : {static_cast<QWidget*>(icon), static_cast<QWidget*>(labelCaption),
                             static_cast<QWidget*>(driveCaption), static_cast<QWidget*>(intro)})
        passive->setFocusPolicy(Qt::NoFocus);
    setTabOrder(m_editLabel, create);
    setTabOrder(create, cancel);
    setTabOrder(cancel, m_cbDrives);

    skin::ApplySkin(this);
    FillDriveCombo();
    // Adding the first root selects it; the edit field shows the first drive whatever the sorting did.
    m_cbDrives->setEditText(ToQString(m_strDrive));
    m_editLabel->setFocus();
}

std::string CCreateImageDlg::ListCdDrives() {
    m_nDrives = 0;
    m_strDrives.fill({});
    for (const platform::OpticalDrive& drive : platform::OpticalDrives()) {
        if (m_nDrives == static_cast<int>(m_strDrives.size())) break;
        m_strDrives[static_cast<std::size_t>(m_nDrives++)] = drive.root;
    }
    return m_nDrives > 0 ? m_strDrives[0] : std::string("NULL");
}

void CCreateImageDlg::FillDriveCombo() {
    for (int i = 0; i < m_nDrives; ++i) {
        const QString root = ToQString(m_strDrives[static_cast<std::size_t>(i)]);
        int at = 0;
        while (at < m_cbDrives->count() && m_cbDrives->itemText(at).compare(root, Qt::CaseInsensitive) <= 0)
            ++at;
        m_cbDrives->insertItem(at, root);
    }
}

void CCreateImageDlg::accept() {
    m_strLabel = FromQString(m_editLabel->text());
    m_strDrive = FromQString(m_cbDrives->currentText());
    QDialog::accept();
}
