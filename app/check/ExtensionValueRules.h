#pragma once
// The values of the smaller namespaces feeds carry beside RSS 2.0: Dublin Core's language, the
// older vocabularies for a place (GeoURL's and ICBM's latitude and longitude) and the addresses of
// UserLand's blogChannel module.
#include <string>
#include <string_view>

// What is wrong with the value of an element (by its namespace URI and local name), in the words
// that follow its name and value ("is not a language code such as \"en\""); empty when nothing is
// or when the element is none of these.
std::string ExtensionValueFault(std::string_view uri, std::string_view local, std::string_view value);
