#include "assets/helppage.h"

using namespace Qt::StringLiterals;

// The resources live in a static library: naming their initialiser keeps
// the linker from dropping them. Outside any namespace, as the initialiser
// is declared in the one the call stands in.
static void initAssetResources()
{
    Q_INIT_RESOURCE(assets);
}

namespace velmora {

QStringList helpPageLines()
{
    return {
        u"      Меняя строки местами, вы должны составить"_s,
        u"алгоритм, который соответствует условию"_s,
        u"задачи. Поменять строки местами можно двумя"_s,
        u"способами:"_s,
        u"1) щёлкнуть мышью по строкам, которые нужно"_s,
        u"    поменять местами;"_s,
        u"2) клавишей Tab перейти в поле «Строки:»,"_s,
        u"    набрать номера двух строк, например 3 – 4,"_s,
        u"    и нажать Enter. Тире вводится нажатием"_s,
        u"    любой символьной клавиши."_s,
        u"Закончить составление алгоритма можно так:"_s,
        u"1) щёлкнуть мышью по кнопке «Готово»;"_s,
        u"2) клавишей Tab сделать кнопку «Готово»"_s,
        u"    активной и нажать пробел;"_s,
        u"3) нажать Enter."_s,
    };
}

QString helpPageText()
{
    QStringList lines;
    for (const QString &line : helpPageLines())
        lines << line.trimmed();
    return lines.join(u' ');
}

QPixmap helpPagePixmap()
{
    initAssetResources();
    return QPixmap(u":/velmora/helppage.bmp"_s);
}

} // namespace velmora
