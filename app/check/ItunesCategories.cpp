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

namespace {

struct TRetiredCategory {
    std::string_view Parent, Name, Current;
};

// Apple's earlier lists (the last before 2019, and older names still met in feeds) and where
// Apple put each in its 2019 list.
constexpr TRetiredCategory Retired[] = {
    {"", "Games & Hobbies", "Leisure"},
    {"", "Government & Organizations", "Government"},
    {"", "Health", "Health & Fitness"},
    {"", "News & Politics", "News"},
    {"", "Science & Medicine", "Science"},
    {"", "Sports & Recreation", "Sports"},
    {"", "Travel", "Society & Culture > Places & Travel"},
    {"", "Computers", "Technology"},
    {"Arts", "Literature", "Arts > Books"},
    {"Business", "Business News", "News > Business News"},
    {"Business", "Management & Marketing", "Business > Management or Business > Marketing"},
    {"Business", "Shopping", "Leisure"},
    {"Education", "Educational Technology", "Education"},
    {"Education", "Higher Education", "Education > Courses"},
    {"Education", "K-12", "Education"},
    {"Education", "Language Courses", "Education > Language Learning"},
    {"Education", "Training", "Education > How To"},
    {"Religion & Spirituality", "Other", "Religion & Spirituality > Religion"},
    {"Society & Culture", "History", "History"},
    {"Technology", "Gadgets", "Technology"},
    {"Technology", "Podcasting", "Technology"},
    {"Technology", "Software How-To", "Technology"},
    {"Technology", "Tech News", "News > Tech News"},
    {"Technology", "Computers", "Technology"},
    {"Technology", "Information Technology", "Technology"},
};

} // namespace

std::string_view RetiredItunesCategory(std::string_view parent, std::string_view name)
{
    for (const TRetiredCategory &retired : Retired)
        if (retired.Parent == parent && retired.Name == name)
            return retired.Current;
    return {};
}
