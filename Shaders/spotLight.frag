#version 330 compatibility

// The van's colour, lit per vertex.
in vec4 color;

out vec4 fragColor;

void main()
{
    fragColor = color;
}
