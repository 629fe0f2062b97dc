// What a request makes for a run, the same for converting and for looking at an export first:
// how its text is read, and where the files it names are sought.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/conversion_request.h"
#include "engine/reading/export_encoding.h"

namespace vandrel {

// The request's code page; the default one when the system does not know it or cannot read an
// export in it (one that does not keep ASCII as it is).
std::unique_ptr<ExportEncoding> EncodingFor(const ConversionRequest& request);

// The attachment folders in order, then the export's own folder.
std::vector<std::string> SearchFoldersFor(const ConversionRequest& request);

}  // namespace vandrel
