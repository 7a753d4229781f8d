// Identifiers of the pictures built into the screen-saver program.
#pragma once
#define IDB_PREVIEW_STILL 101  // 152 x 112 still of the ring flight, for the preview pane
#define IDB_RING_TEXTURE 102   // 64 x 64 grey ring handed to the renderer
