// The ids of the Windows program's resources, read by both the resource
// script and the code (so macros, which the resource compiler understands).
#pragma once

// The application icon: every size Windows shows, drawn at build time.
#define TEMPYRA_ICON 1
