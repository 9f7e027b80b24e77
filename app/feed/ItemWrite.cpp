#include "ItemWrite.h"

#include "zelXMLParser2.h"

#include <memory>

TWrittenFeed WriteChangedItem(TzelXMLParser2 &document, const std::string &path, TzelXMLNode2 &item,
                              int position, const TLaidOutText *before, const std::function<bool()> &change)
{
    std::unique_ptr<TzelXMLNode2> original(item.CloneTree());
    const int declarations = document.Attributes().Count();
    try {
        const bool declared = change();
        TWrittenFeed written = SaveAndTakeWrittenForm(document, path, declared ? nullptr : before,
                                                      {TChannelChange::Replaced, position}, &item);
        written.DocumentIsFile = written.DocumentIsFile && !declared;
        return written;
    } catch (...) {
        item.Children().DeleteTrailing(0);
        while (original->ChildCount() > 0)
            item.Children().Add(original->Children().Extract(0));
        document.Attributes().DeleteTrailing(declarations);
        throw;
    }
}
