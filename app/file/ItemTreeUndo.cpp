#include "ItemTreeUndo.h"

#include "zelXMLParser2.h"

TItemTreeStep::TItemTreeStep() = default;
TItemTreeStep::TItemTreeStep(TItemTreeStep &&) noexcept = default;
TItemTreeStep &TItemTreeStep::operator=(TItemTreeStep &&) noexcept = default;
TItemTreeStep::~TItemTreeStep() = default;

std::optional<TItemTreeStep> PrepareTreeStep(const TzelXMLParser2 &document, TChannelChange change)
{
    const TzelXMLNode2 *channel = document.FindChild("channel", false);
    if (!channel)
        return std::nullopt;
    TItemTreeStep step;
    step.Change = change;
    if (change.Kind != TChannelChange::Inserted) {
        const TzelXMLNode2 *child = channel->ChildAt(change.Position);
        if (!child || !child->KeptTail().empty())
            return std::nullopt;
        step.Child.reset(child->CloneTree());
    }
    for (const TzelXMLAttribute2 *attribute : document.Declaration().Attributes())
        if (attribute)
            step.Declaration.emplace_back(attribute->Name(), attribute->Value().AsString());
    return step;
}

TChannelChange ApplyTreeStep(TzelXMLParser2 &document, TItemTreeStep &step)
{
    TzelXMLNode2 &channel = *document.FindChild("channel", false);
    const int position = step.Change.Position;
    TChannelChange undone{TChannelChange::Replaced, position};
    switch (step.Change.Kind) {
    case TChannelChange::Inserted:
        channel.DeleteChild(channel.ChildAt(position));
        undone.Kind = TChannelChange::Removed;
        break;
    case TChannelChange::Removed:
        channel.InsertChild(position, step.Child.get());
        step.Child.release();
        undone.Kind = TChannelChange::Inserted;
        break;
    case TChannelChange::Replaced:
        channel.DeleteChild(channel.ChildAt(position));
        channel.InsertChild(position, step.Child.get());
        step.Child.release();
        break;
    }
    TzelXMLNode2 &declaration = document.Declaration();
    declaration.Attributes().Clear();
    for (const auto &[name, value] : step.Declaration)
        declaration.AppendAttribute(name, value);
    return undone;
}

void TItemTreeUndo::Push(TItemTreeStep step)
{
    steps_.push_back(std::move(step));
    while (steps_.size() > MaxSteps)
        steps_.pop_front();
}

std::optional<TItemTreeStep> TItemTreeUndo::Take(const std::string &path, const TFileStamp &stamp)
{
    if (steps_.empty() || steps_.back().Path != path || !(steps_.back().Written == stamp))
        return std::nullopt;
    TItemTreeStep step = std::move(steps_.back());
    steps_.pop_back();
    return step;
}
