#pragma once
// The elements RSS 2.0 defines inside each of its containers (rss, channel, item, image,
// textInput, skipHours, skipDays, cloud): which may stand there, which may repeat, which
// must be there.
#include <span>
#include <string_view>

// Whether name is a container whose children the check knows.
bool IsRssContainer(std::string_view name);

// Whether RSS 2.0 defines an element child inside container (both without a namespace).
bool IsDefinedChild(std::string_view container, std::string_view child);

// Whether child may stand more than once in container (category, item, hour, day).
bool MayRepeat(std::string_view container, std::string_view child);

// The children container must hold (the item's "title or description" is checked apart).
std::span<const std::string_view> RequiredChildren(std::string_view container);

// Whether RSS 2.0 defines an attribute of that name on element (without a namespace).
bool IsDefinedAttribute(std::string_view element, std::string_view attribute);
