// Changes to the movie's file while it plays: what a host meets when
// another program writes, removes or replaces the file it reads.
#pragma once

#include <string>

namespace faulthost {

enum class Mutation {
    kNone,
    kTruncate,  // cut to a third of its length
    kGarbage,   // every byte from a third on overwritten with noise, in place
    kDelete,    // unlinked
    kReplace,   // another movie renamed over it
};

// "truncate", "garbage", "delete", "replace"; false for anything else.
bool ParseMutation(const std::string &name, Mutation *mutation);

class FileMutation {
public:
    // `replacement` is the movie kReplace puts in place; it is copied next
    // to `path` now, so the change itself is one rename.
    FileMutation(Mutation mutation, std::string path, const std::string &replacement);
    // False, with *error set, when the change could not be made.
    bool Apply(std::string *error) const;

private:
    Mutation mutation_;
    std::string path_;
    std::string staged_;  // kReplace: the copy to rename over path_
};

}  // namespace faulthost
