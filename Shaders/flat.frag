#version 330 compatibility

// The game hands colours on a 0..255 scale; clamping turns them into fully
// saturated primaries, which is how the markers are meant to look.
in vec4 color;

out vec4 out_color;

void main()
{
    out_color = clamp(color, 0.0, 1.0);
}
