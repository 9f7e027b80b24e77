#pragma once
// The podcast categories Apple Podcasts lists, each with its subcategories, written as the
// itunes:category text attribute takes them ("Health & Fitness", "How To").
#include <span>
#include <string_view>

struct TItunesCategory {
    std::string_view Name;
    std::span<const std::string_view> Subcategories;
};

std::span<const TItunesCategory> ItunesCategories();

// The category of that name, nullptr when Apple lists none such (names match exactly).
const TItunesCategory *FindItunesCategory(std::string_view name);

bool IsItunesSubcategory(const TItunesCategory &category, std::string_view name);

// A category Apple listed before its 2019 list and has moved since: the current one to use
// ("Society & Culture > Places & Travel"), empty when name is no such category. parent is the
// category a subcategory stands in, empty for one on top.
std::string_view RetiredItunesCategory(std::string_view parent, std::string_view name);
