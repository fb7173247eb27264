#version 330 compatibility

// Text drawn through the fixed-function matrices and texture coordinates.
out vec2 texCoord;
out vec4 color;

void main()
{
    texCoord = gl_MultiTexCoord0.st;
    color = gl_Color;
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
