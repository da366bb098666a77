// The program's pictures live in a resource of the window library; a static
// library must register it before the first picture is used.
#pragma once

void InitAppResources();
