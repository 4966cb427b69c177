#include "cli/mouse_commit.h"

#include <cstring>
#include <string>

#include "cli/result_text.h"
#include "link/result_codes.h"

Json::Value CommitJson(const MouseCommit& c) {
    Json::Value v(Json::objectValue);
    v["saved"] = c.saved == 0;
    v["sent"] = c.sent == kResultOk;
    v["result"] = c.sent;
    return v;
}

int CommitStatus(const MouseRequest& r, const MouseCommit& c, std::FILE* err) {
    if (c.ok())
        return 0;
    const std::string profile =
        c.saved == 0 ? "the profile was saved"
                     : "the profile was NOT saved (" + std::string(std::strerror(c.saved)) + ")";
    std::fprintf(err, "r730ctl: mouse %s: %s; %s (result %d)\n", r.name.c_str(), profile.c_str(),
                 ResultText(c.sent, "mouse").c_str(), c.sent);
    return 1;
}
