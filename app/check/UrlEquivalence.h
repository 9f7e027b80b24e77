#pragma once
// Two ways of writing one web address: "http://Example.com:80/%7esmith" and
// "http://example.com/~smith" name the same resource, as HTTP's URI comparison rules say
// (scheme and host without case, the default or an empty port dropped, an empty path "/",
// percent-encoded unreserved characters as themselves).
#include <string>
#include <string_view>

// The http(s) URL in a form equal for equal addresses; any other text as it is.
std::string ComparableUrl(std::string_view url);
