#version 330 compatibility

// Glyph texels carry coverage in alpha; the colour comes from the vertex.
uniform sampler2D fontTexture;

in vec2 texCoord;
in vec4 color;

out vec4 fragColor;

void main()
{
    vec4 texel = texture(fontTexture, texCoord);
    fragColor = vec4(color.rgb * texel.r, color.a * texel.a);
}
