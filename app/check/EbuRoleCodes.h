#pragma once
// The role codes of the European Broadcasting Union, with the example roles Media RSS names: the
// roles it takes in a media:credit whose scheme is urn:ebu (the scheme a credit has when it names
// none).
#include <string_view>

// Whether role is one of them, written in lower case as Media RSS asks ("anchor person").
bool IsEbuRoleCode(std::string_view role);
