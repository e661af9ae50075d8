// Renders a manual written in Markdown to PDF: A4 pages numbered at the foot, the
// pictures it names fitted to the width of the text, the tables ruled.
//
//   nivex-manual SOURCE.md OUTPUT.pdf TITLE
//
// A picture that cannot be read stops the run: no manual goes out with holes in it.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>
#include <cstdio>

namespace {

// The width of the text on an A4 page with 2 cm margins, in the document's pixels.
constexpr double kTextWidth = 640.0;

void fail(const QString& message) {
    std::fprintf(stderr, "nivex-manual: %s\n", message.toLocal8Bit().constData());
    std::exit(1);
}

// Loads every picture of the document from beside the source and sizes it to the text.
void placePictures(QTextDocument& document, const QDir& folder) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString name = format.name();
            const QString path = folder.absoluteFilePath(name);
            QImage picture(path);
            if (picture.isNull()) fail(QStringLiteral("no se pudo leer la imagen %1").arg(path));
            document.addResource(QTextDocument::ImageResource, QUrl(name), picture);
            const double width = std::min<double>(kTextWidth, picture.width());
            format.setWidth(width);
            format.setHeight(width * picture.height() / picture.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

void ruleTables(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextTable* table = cursor.currentTable();
        if (!table) continue;
        QTextTableFormat format = table->format();
        if (format.border() >= 1) continue;
        format.setBorder(0.5);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        format.setCellPadding(3);
        format.setCellSpacing(0);
        table->setFormat(format);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 4) fail(QStringLiteral("uso: nivex-manual FUENTE.md SALIDA.pdf TITULO"));
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString title = QString::fromLocal8Bit(argv[3]);

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(QStringLiteral("no se pudo leer %1").arg(source));
    const QString markdown = QString::fromUtf8(in.readAll());

    QTextDocument document;
    QFont body(QStringLiteral("DejaVu Sans"), 10);
    document.setDefaultFont(body);
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    placePictures(document, QFileInfo(source).absoluteDir());
    ruleTables(document);

    // Written under a temporary name: a failed run leaves the old manual in place.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly)) fail(QStringLiteral("no se pudo crear %1").arg(output));
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("NIVEX"));
        writer.setResolution(96);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        document.print(&writer);
    }
    if (!file.commit()) fail(QStringLiteral("no se pudo escribir %1").arg(output));
    return 0;
}
