#include "search/CFindDlg.h"

#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "res/DialogUnitLayout.h"
#include "res/Skin.h"
#include "res/Texts.h"

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
    DialogUnitLayout layout(font());
    layout.Add(intro, {32, 6, 138, 9}, true);
    layout.Add(picture, {10, 24, 16, 18}, false);
    layout.Add(prompt, {32, 25, 35, 8}, true);
    layout.Add(m_editFind, {68, 24, 122, 12}, false);
    layout.Add(m_checkCase, {35, 45, 59, 10}, true);
    layout.Add(m_checkFileAndFolder, {35, 56, 82, 10}, true);
    layout.Add(m_checkWholeWord, {35, 68, 90, 10}, true);
    layout.Add(searchButton, {64, 86, 42, 13}, true);
    layout.Add(cancelButton, {114, 86, 42, 13}, true);
    layout.Apply(this, 220, 106);
    const QIcon icon = QIcon::fromTheme(QStringLiteral("edit-find"),
                                        style()->standardIcon(QStyle::SP_FileDialogContentsView));
    picture->setPixmap(icon.pixmap(std::min(picture->width(), picture->height())));
}

search::Options CFindDlg::SearchOptions() const {
    return {m_bCaseSensitive == 1, m_bFileAndFolder == 1, m_bWholeWord == 1};
}

void CFindDlg::accept() {
    m_bCaseSensitive = m_checkCase->isChecked() ? 1 : 0;
    m_bFileAndFolder = m_checkFileAndFolder->isChecked() ? 1 : 0;
    m_bWholeWord = m_checkWholeWord->isChecked() ? 1 : 0;
    m_strFind = FromQString(m_editFind->text());
    QDialog::accept();
}
