// The window's mouse rules: the lists select with the left button only, a press remembers
// the list's row (a click on the selected row shows it again), the footer's logo and address
// open the web page, a double click on the quoted word selects it, and the wheel never turns
// pages. MainFrame.cpp's event filter sends the window's mouse events here.
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QMouseEvent>
#include <QTabBar>

bool TForm1::FilterMouseButton(QWidget &widget, QMouseEvent &event)
{
    const bool onList = &widget == ui->ListBox1->viewport() || &widget == ui->ListBox2->viewport();
    // Other buttons neither select a row nor run the click handlers.
    if (onList && event.button() != Qt::LeftButton)
        return true;
    switch (event.type()) {
    case QEvent::MouseButtonPress:
        RememberListRowAtPress(widget);
        return false;
    case QEvent::MouseButtonRelease:
        return FilterFooterClick(widget, event);
    case QEvent::MouseButtonDblClick:
        return FilterQuotedWordDoubleClick(widget, event);
    default:
        return false;
    }
}

void TForm1::RememberListRowAtPress(const QWidget &widget)
{
    if (&widget == ui->ListBox1->viewport())
        listBox1RowAtPress_ = ui->ListBox1->currentRow();
    if (&widget == ui->ListBox2->viewport())
        listBox2RowAtPress_ = ui->ListBox2->currentRow();
}

bool TForm1::FilterFooterClick(const QWidget &widget, const QMouseEvent &event)
{
    if ((&widget != ui->Image1 && &widget != ui->Label10) || event.button() != Qt::LeftButton ||
        !widget.rect().contains(event.position().toPoint()))
        return false;
    RunGuarded([this] { Image1Click(); });
    return true;
}

bool TForm1::FilterQuotedWordDoubleClick(const QWidget &widget, QMouseEvent &event)
{
    if (&widget != ui->Edit6)
        return false;
    // The box selects the word under the mouse first; the handler then selects all of it.
    static_cast<QObject *>(ui->Edit6)->event(&event);
    RunGuarded([this] { Edit6DblClick(); });
    return true;
}

bool TForm1::FilterWheel(const QWidget &widget) const
{
    // The wheel does not turn pages: a page change is the user's explicit request.
    return &widget == ui->PageControl1->tabBar();
}
