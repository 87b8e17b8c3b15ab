#pragma once

// Registers the padlock and the preview glyph. The secret library is
// static, so its resource data is linked only when something calls this.
void initSetupResources();
