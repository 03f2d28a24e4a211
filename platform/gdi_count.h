// How many GDI objects (brushes, pens) the program has created and not yet
// deleted.  Stock objects are not counted.
#pragma once

int liveGdiObjectCount();
