#version 330 compatibility

// The van: per-vertex colours lit by the spot lights. The light positions
// arrive relative to the van, in axes aligned with the view (x and z) and
// as world heights (y); each vertex is expressed the same way.
//
// The model is small on screen and made of small flat faces, so it is lit
// per vertex: the result matches per-pixel lighting closely and costs the
// software rasteriser next to nothing.
uniform mat4 mvMatrix;
uniform mat4 pMatrix;
uniform mat3 normalMatrix;
uniform vec4 ambient;
uniform vec4 diffuse;
uniform vec4 specular;
uniform vec4 lightPos[10];
uniform vec3 spotDir[10];
uniform float spotCosCutoff[10];

in vec4 vVertex;
in vec3 vNormal;
in vec4 vColor;

out vec4 color;

// Lights fade with distance, like the city's.
const float FALLOFF_DISTANCE = 170.0;

void main()
{
    vec4 eye = mvMatrix * vVertex;
    gl_Position = pMatrix * eye;

    // The model's turn in the view without its place: the offset from the
    // van point in the same axes as the light positions.
    vec3 turned = mat3(mvMatrix) * vVertex.xyz;
    vec3 vanRelative = vec3(turned.x, vVertex.y, turned.z);
    vec3 n = normalize(normalMatrix * vNormal);
    vec3 toEye = normalize(-eye.xyz);

    // Colours above 1 (part of the palette is given on a 0..255 scale)
    // saturate.
    vec3 base = clamp(vColor.rgb, 0.0, 1.0);
    vec3 diffuseSum = vec3(0.0);
    vec3 specularSum = vec3(0.0);
    // Lights 0 and 1 are the van's own head lights; they shine away from it.
    for (int i = 2; i < 10; ++i) {
        vec3 toLight = lightPos[i].xyz - vanRelative;
        float lightDistance = length(toLight);
        vec3 l = toLight / lightDistance;
        float cutoff = spotCosCutoff[i];
        float cone = smoothstep(cutoff, mix(cutoff, 1.0, 0.25), dot(-l, normalize(spotDir[i])));
        float d = lightDistance / FALLOFF_DISTANCE;
        float strength = cone / (1.0 + d * d);
        diffuseSum += diffuse.rgb * (max(dot(n, l), 0.0) * strength);
        vec3 h = normalize(l + toEye);
        specularSum += specular.rgb * (pow(max(dot(n, h), 0.0), 32.0) * strength);
    }
    // A faint fill from the camera keeps the van readable between lamps.
    float fill = 0.08 * max(dot(n, toEye), 0.0);
    color = vec4(base * (ambient.rgb + diffuseSum + vec3(fill)) + specularSum, 1.0);
}
