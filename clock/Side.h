#pragma once

// The two wrestlers (and their teams) as the match names them: home on the left.
enum class Side { Home, Guest };
