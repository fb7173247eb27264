#version 330 compatibility

// Reference for the city's lighting: every light for every pixel, then the
// greyscale texture, the material and linear fog.
uniform sampler2D colorTexture;
uniform vec4 ambient;
uniform vec4 diffuse;
uniform vec4 specular;
uniform float fog_start;
uniform float fog_end;
uniform vec4 fog_color;
uniform vec4 lightPos[10];
uniform vec3 spotDir[10];
uniform float spotCosCutoff[10];

in vec3 eyePosition;
in vec3 eyeNormal;
in vec2 texCoord;

out vec4 fragColor;

void main()
{
    vec3 n = normalize(eyeNormal);
    float distance = length(eyePosition);
    vec3 toEye = -eyePosition / max(distance, 0.0001);
    float diffuseSum = 0.0;
    float specularSum = 0.0;
    for (int i = 0; i < 10; ++i) {
        vec3 toLight = lightPos[i].xyz - eyePosition;
        float lightDistance = length(toLight);
        vec3 l = toLight / lightDistance;
        float cutoff = spotCosCutoff[i];
        // Full strength a quarter of the way into the cone.
        float cone = smoothstep(cutoff, cutoff + 0.25 * (1.0 - cutoff), dot(-l, normalize(spotDir[i])));
        float falloff = 170.0 * 170.0 / (170.0 * 170.0 + lightDistance * lightDistance);
        float strength = cone * max(dot(n, l), 0.0) * falloff;
        diffuseSum += strength;
        vec3 h = normalize(l + toEye);
        specularSum += pow(max(dot(n, h), 0.0), 32.0) * strength;
    }
    float texel = texture(colorTexture, texCoord).r;
    vec3 lit = texel * (ambient.rgb + diffuse.rgb * diffuseSum + specular.rgb * specularSum);
    float fogFactor = clamp((fog_end - distance) / (fog_end - fog_start), 0.0, 1.0);
    fragColor = vec4(mix(fog_color.rgb, lit, fogFactor), 1.0);
}
