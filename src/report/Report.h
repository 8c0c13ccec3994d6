// Report: the template model the engine prepares, paints and prints.
#pragma once
