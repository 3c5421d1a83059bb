// GUIDs are always defined by the stand-in's headers; kept for source
// compatibility with code that includes it before the SDK headers.
#pragma once
