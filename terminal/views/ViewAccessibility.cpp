#include "terminal/views/ViewAccessibility.h"

#include "terminal/views/HistoryAccessible.h"
#include "terminal/views/HistoryView.h"
#include "terminal/views/RichTextAccessible.h"
#include "terminal/views/RichTextView.h"

void ViewAccessibility::install()
{
    TextAccessible::install<RichTextView, RichTextAccessible>();
    TextAccessible::install<HistoryView, HistoryAccessible>();
}
