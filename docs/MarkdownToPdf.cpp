// Renders the user manual from Markdown into the PDF the program's Help
// menu opens, with the pictures its image links name. Runs at build time on
// the offscreen platform.
//   tq580_manual_pdf manual.md output.pdf [PICTURES_FOLDER]
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QList>
#include <QUrl>
#include <algorithm>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

namespace {
// The text width of an A4 page with 20 mm margins, in the document's units
// (1/96 inch), less a little so a picture never touches the margin.
constexpr double PictureWidth = 620;

// Loads every picture the document names from the folder and scales it to
// the text width; false, with a message, when one is missing.
bool FitPictures(QTextDocument& document, const QString& folder) {
    struct Picture {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Picture> pictures;  // collected first: changing a format splits the fragments
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextImageFormat format = fragment.fragment().charFormat().toImageFormat();
            if (format.isValid())
                pictures.append({fragment.fragment().position(), fragment.fragment().length(), format});
        }
    bool allFound = true;
    for (Picture& picture : pictures) {
        const QImage image(QDir(folder).filePath(picture.format.name()));
        if (image.isNull()) {
            std::fprintf(stderr, "cannot read the picture %s\n", qPrintable(picture.format.name()));
            allFound = false;
            continue;
        }
        // Handed over as a resource: the printed copy of the document loads nothing itself.
        document.addResource(QTextDocument::ImageResource, QUrl(picture.format.name()), image);
        const double width = std::min<double>(PictureWidth, image.width());
        picture.format.setWidth(width);
        picture.format.setHeight(width * image.height() / image.width());
        QTextCursor cursor(&document);
        cursor.setPosition(picture.position);
        cursor.setPosition(picture.position + picture.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(picture.format);
    }
    return allFound;
}
}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s manual.md output.pdf [pictures-folder]\n", argv[0]);
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }

    QTextDocument document;
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    const QString picturesFolder = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QFileInfo(source).absolutePath();
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    if (!FitPictures(document, picturesFolder)) return 1;

    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setTitle(QStringLiteral("Tq580 Measurement Program - User Manual"));
    writer.setCreator(QStringLiteral("Tq580"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    document.print(&writer);
    return QFile::exists(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
