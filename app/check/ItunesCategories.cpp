#include "ItunesCategories.h"

#include <algorithm>

namespace {

constexpr std::string_view Arts[] = {"Books", "Design", "Fashion & Beauty", "Food", "Performing Arts",
                                     "Visual Arts"};
constexpr std::string_view Business[] = {"Careers",    "Entrepreneurship", "Investing",
                                         "Management", "Marketing",        "Non-Profit"};
constexpr std::string_view Comedy[] = {"Comedy Interviews", "Improv", "Stand-Up"};
constexpr std::string_view Education[] = {"Courses", "How To", "Language Learning", "Self-Improvement"};
constexpr std::string_view Fiction[] = {"Comedy Fiction", "Drama", "Science Fiction"};
constexpr std::string_view HealthAndFitness[] = {"Alternative Health", "Fitness",   "Medicine",
                                                 "Mental Health",      "Nutrition", "Sexuality"};
constexpr std::string_view KidsAndFamily[] = {"Education for Kids", "Parenting", "Pets & Animals",
                                              "Stories for Kids"};
constexpr std::string_view Leisure[] = {"Animation & Manga", "Automotive", "Aviation",      "Crafts",
                                        "Games",             "Hobbies",    "Home & Garden", "Video Games"};
constexpr std::string_view Music[] = {"Music Commentary", "Music History", "Music Interviews"};
constexpr std::string_view News[] = {"Business News",   "Daily News", "Entertainment News",
                                     "News Commentary", "Politics",   "Sports News",
                                     "Tech News"};
constexpr std::string_view ReligionAndSpirituality[] = {"Buddhism", "Christianity", "Hinduism",   "Islam",
                                                        "Judaism",  "Religion",     "Spirituality"};
constexpr std::string_view Science[] = {"Astronomy",   "Chemistry",        "Earth Sciences",
                                        "Life Sciences", "Mathematics",    "Natural Sciences",
                                        "Nature",      "Physics",          "Social Sciences"};
constexpr std::string_view SocietyAndCulture[] = {"Documentary", "Personal Journals", "Philosophy",
                                                  "Places & Travel", "Relationships"};
constexpr std::string_view Sports[] = {"Baseball", "Basketball", "Cricket", "Fantasy Sports", "Football",
                                       "Golf",     "Hockey",     "Rugby",   "Running",        "Soccer",
                                       "Swimming", "Tennis",     "Volleyball", "Wilderness",  "Wrestling"};
constexpr std::string_view TvAndFilm[] = {"After Shows", "Film History", "Film Interviews", "Film Reviews",
                                          "TV Reviews"};

constexpr TItunesCategory Categories[] = {
    {"Arts", Arts},
    {"Business", Business},
    {"Comedy", Comedy},
    {"Education", Education},
    {"Fiction", Fiction},
    {"Government", {}},
    {"History", {}},
    {"Health & Fitness", HealthAndFitness},
    {"Kids & Family", KidsAndFamily},
    {"Leisure", Leisure},
    {"Music", Music},
    {"News", News},
    {"Religion & Spirituality", ReligionAndSpirituality},
    {"Science", Science},
    {"Society & Culture", SocietyAndCulture},
    {"Sports", Sports},
    {"Technology", {}},
    {"True Crime", {}},
    {"TV & Film", TvAndFilm},
};

} // namespace

std::span<const TItunesCategory> ItunesCategories() { return Categories; }

const TItunesCategory *FindItunesCategory(std::string_view name)
{
    for (const TItunesCategory &category : Categories)
        if (category.Name == name)
            return &category;
    return nullptr;
}

bool IsItunesSubcategory(const TItunesCategory &category, std::string_view name)
{
    return std::find(category.Subcategories.begin(), category.Subcategories.end(), name) !=
           category.Subcategories.end();
}
