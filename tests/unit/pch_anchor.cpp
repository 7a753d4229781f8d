// Builds the precompiled header the unit tests share.
