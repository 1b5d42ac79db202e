#include "help/guide_window.hpp"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "mainwin/data_files.hpp"

namespace mv {
namespace {

constexpr const char* kIndexName = "guide/index.md";

void AddHeadingAnchors(QTextDocument& doc) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() == 0) continue;
        const QString anchor = GuideAnchor(b.text());
        if (anchor.isEmpty()) continue;
        QTextCursor c(b);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setAnchor(true);
        f.setAnchorNames({anchor});
        c.mergeCharFormat(f);
    }
    doc.setModified(false);
}

}  // namespace

QString GuideAnchor(const QString& heading) {
    QString out;
    for (const QChar ch : heading.trimmed().toLower()) {
        if (ch.isLetterOrNumber() || ch == u'-' || ch == u'_')
            out += ch;
        else if (ch == u' ')
            out += u'-';
    }
    return out;
}

QString GuideIndexPath() {
    return FindDataFile(QString::fromLatin1(kIndexName));
}

GuideBrowser::GuideBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

void GuideBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    // The guide's pages and pictures are local files; anything else is not followed.
    if (!name.isRelative() && !name.isLocalFile()) return;
    QTextBrowser::doSetSource(name, type);
    AddHeadingAnchors(*document());
    if (name.hasFragment()) scrollToAnchor(name.fragment());
}

TGuide::TGuide(Model&, QWidget* parent) : QDialog(parent), index_(GuideIndexPath()) {
    setObjectName(QStringLiteral("TGuide"));
    setWindowTitle(QStringLiteral("User Guide"));
    // A guide is read beside the gear it describes, so it never blocks the main window.
    setModal(false);
    resize(880, 720);

    browser_ = new GuideBrowser(this);
    browser_->setObjectName(QStringLiteral("GuideText"));

    auto tool = [this](const char* name, QStyle::StandardPixmap icon, const QString& tip,
                       const QKeySequence& key) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) +
                      QLatin1Char(')'));
        b->setShortcut(key);
        return b;
    };
    QToolButton* back = tool("BtnBack", QStyle::SP_ArrowBack, QStringLiteral("Back"),
                             QKeySequence(QKeySequence::Back));
    QToolButton* forward = tool("BtnForward", QStyle::SP_ArrowForward, QStringLiteral("Forward"),
                                QKeySequence(QKeySequence::Forward));
    QToolButton* contents = tool("BtnContents", QStyle::SP_DirHomeIcon, QStringLiteral("Contents"),
                                 QKeySequence(Qt::ALT | Qt::Key_Home));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    connect(contents, &QToolButton::clicked, this, [this] { Load(); });

    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("EditFind"));
    find_->setPlaceholderText(QStringLiteral("Find in this page (Ctrl+F, Enter for the next)"));
    find_->setClearButtonEnabled(true);
    connect(find_, &QLineEdit::returnPressed, this, &TGuide::FindNext);
    auto* findKey = new QAction(this);
    findKey->setShortcut(QKeySequence::Find);
    connect(findKey, &QAction::triggered, find_, [this] {
        find_->setFocus();
        find_->selectAll();
    });
    addAction(findKey);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* bar = new QHBoxLayout;
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(contents);
    bar->addSpacing(12);
    bar->addWidget(find_, 1);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(bar);
    lay->addWidget(browser_, 1);
    lay->addWidget(buttons);
}

bool TGuide::Load() {
    if (index_.isEmpty() || !QFileInfo(index_).isFile()) {
        browser_->clearHistory();
        browser_->setPlainText(QStringLiteral("Error Loading ") + QString::fromLatin1(kIndexName));
        return false;
    }
    browser_->setSource(QUrl::fromLocalFile(index_));
    return true;
}

void TGuide::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous() && browser_->source().isEmpty()) Load();
}

void TGuide::FindNext() {
    const QString text = find_->text();
    if (text.isEmpty()) return;
    if (browser_->find(text)) return;
    // Round again from the top of the page.
    browser_->moveCursor(QTextCursor::Start);
    browser_->find(text);
}

}  // namespace mv
