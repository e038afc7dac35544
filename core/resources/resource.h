#pragma once
// Resource ids of the library: dialog templates 5000 to 5012, cursors 5010 and 5011.
