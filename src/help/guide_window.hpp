// "User Guide": the illustrated guide, Markdown pages with their pictures, read in a window of the
// program. It follows links between its own pages and never leaves them: no network, no web
// browser.
#pragma once

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QString>
#include <QTextBrowser>

#include "model/model.hpp"

class QLineEdit;

namespace mv {

// The anchor a heading gets, as common Markdown viewers make it, so that the pages' links work
// there too: lower case, blanks to hyphens, everything but letters, digits, '-' and '_' dropped.
QString GuideAnchor(const QString& heading);

// The guide's first page, found in the data folders ("guide/index.md"), or an empty string.
QString GuideIndexPath();

// A text browser that gives every heading its anchor and opens only the guide's own files.
class GuideBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit GuideBrowser(QWidget* parent = nullptr);

    // The width a picture may take: its own, or the page's when it is wider.
    int PictureWidth() const;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // Pictures wider than the page are shown smoothly scaled down to it, so a screenshot of a
    // large window is seen whole; a wider window shows them larger, up to their own size.
    void FitPictures();

    QHash<QString, QImage> pictures_;  // each picture at its own size, by file
    int fittedTo_ = -1;                // the page width the pictures were last fitted to
};

class TGuide : public QDialog {
    Q_OBJECT
public:
    explicit TGuide(Model& m, QWidget* parent = nullptr);

    GuideBrowser* Browser() const { return browser_; }

    // The first page to show; by default GuideIndexPath().
    void SetIndexPath(const QString& path) { index_ = path; }
    // Shows the first page; when it cannot be read the window says "Error Loading " and its name.
    bool Load();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void FindNext();

    QString index_;
    GuideBrowser* browser_ = nullptr;
    QLineEdit* find_ = nullptr;
};

}  // namespace mv
