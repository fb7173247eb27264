#version 330 compatibility

in vec4 color;

out vec4 fragColor;

void main()
{
    fragColor = color;
}
