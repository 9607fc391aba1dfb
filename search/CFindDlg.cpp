#include "search/CFindDlg.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "res/Skin.h"
#include "res/Texts.h"
#include "search/SearchEngine.h"

namespace {

// Places widgets on the dialog-unit grid of the dialog's font, as the layout was drawn in those units.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        m_baseX = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
        m_baseY = metrics.height();
    }
    int X(int units) const { return units * m_baseX / 4; }
    int Y(int units) const { return units * m_baseY / 8; }

    // Never narrower than its text needs, so a wider font than the one the grid was drawn for clips nothing.
    void Place(QWidget* widget, int x, int y, int w, int h) const {
        widget->setGeometry(X(x), Y(y), std::max(X(w), widget->sizeHint().width()), Y(h));
    }

private:
    int m_baseX = 1;
    int m_baseY = 1;
};

}  // namespace

CFindDlg::CFindDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Gold find"));
    setFont(QFont(QStringLiteral("Verdana"), 9));

    auto* intro = new QLabel(QStringLiteral("Search for the file that you wanted at here."), this);
    auto* picture = new QLabel(this);
    picture->setAlignment(Qt::AlignCenter);
    auto* prompt = new QLabel(QStringLiteral("find gold:"), this);
    m_editFind = new QLineEdit(this);
    prompt->setBuddy(m_editFind);
    m_checkCase = new QCheckBox(QStringLiteral("case sensitive"), this);
    m_checkFileAndFolder = new QCheckBox(QStringLiteral("include file and folder"), this);
    m_checkWholeWord = new QCheckBox(QStringLiteral("match whole word only"), this);
    auto* searchButton = new QPushButton(QStringLiteral("Search"), this);
    searchButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    connect(searchButton, &QPushButton::clicked, this, &CFindDlg::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CFindDlg::reject);

    setTabOrder(m_editFind, m_checkCase);
    setTabOrder(m_checkCase, m_checkFileAndFolder);
    setTabOrder(m_checkFileAndFolder, m_checkWholeWord);
    setTabOrder(m_checkWholeWord, searchButton);
    setTabOrder(searchButton, cancelButton);

    m_editFind->setText(ToQString(m_strFind));
    m_checkCase->setChecked(m_bCaseSensitive == 1);
    m_checkFileAndFolder->setChecked(m_bFileAndFolder == 1);
    m_checkWholeWord->setChecked(m_bWholeWord == 1);
    m_editFind->setFocus();
    skin::ApplySkin(this);

    // Placed only now, with the skin's fonts and button sizes in force, so that nothing overlaps.
    ensurePolished();
    const DialogUnits units(font());
    units.Place(intro, 32, 6, 138, 9);
    picture->setGeometry(units.X(10), units.Y(24), units.X(16), units.Y(18));
    const QIcon icon = QIcon::fromTheme(QStringLiteral("edit-find"),
                                        style()->standardIcon(QStyle::SP_FileDialogContentsView));
    picture->setPixmap(icon.pixmap(std::min(picture->width(), picture->height())));
    units.Place(prompt, 32, 25, 35, 8);
    m_editFind->setGeometry(units.X(68), units.Y(24), units.X(122),
                            std::max(units.Y(12), m_editFind->sizeHint().height()));
    units.Place(m_checkCase, 35, 45, 59, 10);
    units.Place(m_checkFileAndFolder, 35, 56, 82, 10);
    units.Place(m_checkWholeWord, 35, 68, 90, 10);

    int width = units.X(220);
    for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        width = std::max(width, child->geometry().right() + units.X(7));
    }
    // The two buttons stand centred side by side, as wide as the grid says or as the skin needs.
    const int searchWidth = std::max(units.X(42), searchButton->sizeHint().width());
    const int cancelWidth = std::max(units.X(42), cancelButton->sizeHint().width());
    const int buttonHeight = std::max(units.Y(13), searchButton->sizeHint().height());
    const int left = (width - searchWidth - units.X(8) - cancelWidth) / 2;
    searchButton->setGeometry(left, units.Y(86), searchWidth, buttonHeight);
    cancelButton->setGeometry(left + searchWidth + units.X(8), units.Y(86), cancelWidth, buttonHeight);
    setFixedSize(width, std::max(units.Y(106), searchButton->geometry().bottom() + units.Y(7)));
}

int CFindDlg::OptionCode() const {
    return (m_bCaseSensitive == 1 ? search::kCaseSensitive : 0) +
           (m_bFileAndFolder == 1 ? search::kFileAndFolder : 0) +
           (m_bWholeWord == 1 ? search::kWholeWord : 0);
}

void CFindDlg::accept() {
    m_bCaseSensitive = m_checkCase->isChecked() ? 1 : 0;
    m_bFileAndFolder = m_checkFileAndFolder->isChecked() ? 1 : 0;
    m_bWholeWord = m_checkWholeWord->isChecked() ? 1 : 0;
    m_strFind = FromQString(m_editFind->text());
    QDialog::accept();
}
