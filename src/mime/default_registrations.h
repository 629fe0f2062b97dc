// The default entries of the library's factories are registered once, transfer codecs first and
// field codecs right after; static initialisation triggers this at start-up, and every factory
// call makes sure of it before it looks anything up.
#pragma once

namespace vandrel::mime {

void EnsureDefaultRegistrations();

// Each factory's own defaults; called only by EnsureDefaultRegistrations.
void RegisterDefaultTransferCodecs();
void RegisterDefaultFieldCodecs();

}  // namespace vandrel::mime
