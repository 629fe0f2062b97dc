// Build tool: renders the SVG icon as square PNG files, one per size.
// Usage: vandrel_icon_renderer SVG OUTPUT_DIR SIZE...   (writes OUTPUT_DIR/vandrel-SIZE.png)
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool RenderOne(QSvgRenderer& renderer, const QString& folder, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  painter.end();
  return image.save(QStringLiteral("%1/vandrel-%2.png").arg(folder).arg(size), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: vandrel_icon_renderer SVG OUTPUT_DIR SIZE...\n", stderr);
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "vandrel_icon_renderer: cannot read %s\n", argv[1]);
    return 1;
  }
  const QString folder = QString::fromLocal8Bit(argv[2]);
  for (int i = 3; i < argc; ++i) {
    bool isNumber = false;
    const int size = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
    if (!isNumber || size <= 0 || !RenderOne(renderer, folder, size)) {
      std::fprintf(stderr, "vandrel_icon_renderer: cannot write the %s pixel icon\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
