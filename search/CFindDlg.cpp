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
    const DialogUnits units(font());

    auto* intro = new QLabel(QStringLiteral("Search for the file that you wanted at here."), this);
    units.Place(intro, 32, 6, 138, 9);

    auto* picture = new QLabel(this);
    const QIcon icon = QIcon::fromTheme(QStringLiteral("edit-find"),
                                        style()->standardIcon(QStyle::SP_FileDialogContentsView));
    picture->setGeometry(units.X(10), units.Y(24), units.X(16), units.Y(18));
    picture->setPixmap(icon.pixmap(std::min(picture->width(), picture->height())));
    picture->setAlignment(Qt::AlignCenter);

    auto* prompt = new QLabel(QStringLiteral("find gold:"), this);
    units.Place(prompt, 32, 25, 35, 8);

    m_editFind = new QLineEdit(this);
    m_editFind->setGeometry(units.X(68), units.Y(24), units.X(122),
                            std::max(units.Y(12), m_editFind->sizeHint().height()));
    prompt->setBuddy(m_editFind);

    m_checkCase = new QCheckBox(QStringLiteral("case sensitive"), this);
    units.Place(m_checkCase, 35, 45, 59, 10);
    m_checkFileAndFolder = new QCheckBox(QStringLiteral("include file and folder"), this);
    units.Place(m_checkFileAndFolder, 35, 56, 82, 10);
    m_checkWholeWord = new QCheckBox(QStringLiteral("match whole word only"), this);
    units.Place(m_checkWholeWord, 35, 68, 90, 10);

    auto* searchButton = new QPushButton(QStringLiteral("Search"), this);
    searchButton->setGeometry(units.X(64), units.Y(86), units.X(42), units.Y(13));
    searchButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setGeometry(units.X(114), units.Y(86), units.X(42), units.Y(13));
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

    int right = units.X(220);
    for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        right = std::max(right, child->geometry().right() + units.X(7));
    }
    setFixedSize(right, units.Y(106));
    skin::ApplySkin(this);
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
