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
