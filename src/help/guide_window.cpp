#include "help/guide_window.hpp"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

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
    fittedTo_ = -1;
    FitPictures();
    if (name.hasFragment()) scrollToAnchor(name.fragment());
}

void GuideBrowser::resizeEvent(QResizeEvent* e) {
    QTextBrowser::resizeEvent(e);
    FitPictures();
}

int GuideBrowser::PictureWidth() const {
    // The page's text width, less a little for the frame drawn round each picture.
    return std::max(64,
                    viewport()->width() - 2 * static_cast<int>(document()->documentMargin()) - 4);
}

void GuideBrowser::FitPictures() {
    const int width = PictureWidth();
    if (width == fittedTo_) return;
    fittedTo_ = width;
    QTextDocument& doc = *document();
    struct Found {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<Found> found;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                found.push_back({it.fragment().position(), it.fragment().length(),
                                 it.fragment().charFormat().toImageFormat()});
    const int scroll = verticalScrollBar()->value();
    for (Found& f : found) {
        // The document looks its pictures up by this name, and takes one added under it first.
        const QUrl key = doc.baseUrl().resolved(QUrl(f.format.name()));
        const QString file = source().resolved(QUrl(f.format.name())).toLocalFile();
        if (file.isEmpty()) continue;
        auto at = pictures_.find(file);
        if (at == pictures_.end()) at = pictures_.insert(file, QImage(file));
        const QImage& own = *at;
        if (own.isNull()) continue;
        const QImage shown =
            own.width() > width ? own.scaledToWidth(width, Qt::SmoothTransformation) : own;
        doc.addResource(QTextDocument::ImageResource, key, shown);
        f.format.setWidth(shown.width());
        f.format.setHeight(shown.height());
        QTextCursor c(&doc);
        c.setPosition(f.position);
        c.setPosition(f.position + f.length, QTextCursor::KeepAnchor);
        c.setCharFormat(f.format);
    }
    doc.setModified(false);
    verticalScrollBar()->setValue(scroll);
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
