// What the program's texts say about the program itself: its title and its maker's web site.
#pragma once

#include <string>

namespace camlog::session {

struct ProgramIdentity {
    std::string title;   // the name, a blank, the version and the language code: "Camlog 7.0.9En"
    std::string webSite; // the maker's site, printed in playlists and reports
};

} // namespace camlog::session
